#pragma once

// Ctrl-C and SIGTERM, while one lives, become a byte on a pipe that the run watches; afterwards
// they end the program again.
class Interrupt_Watch {
  public:
    Interrupt_Watch();
    ~Interrupt_Watch();
    Interrupt_Watch(const Interrupt_Watch&) = delete;
    Interrupt_Watch& operator=(const Interrupt_Watch&) = delete;

    // Readable once an interrupt came; -1 when the pipe could not be made.
    int Fd() const;
    // Takes the interrupts that came, so that the descriptor waits for the next.
    void Clear();
};
