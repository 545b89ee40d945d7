#pragma once

#include <string>

// The unit's end of the line: the master of a pseudo-terminal or a real serial port, raw,
// non-blocking. For a pseudo-terminal the unit also keeps the other end open, so that the PC can
// open and close it (as the port scan does) without the line hanging up.
class Sim_Line {
  public:
    Sim_Line() = default;
    ~Sim_Line();
    Sim_Line(const Sim_Line&) = delete;
    Sim_Line& operator=(const Sim_Line&) = delete;

    // False with Error() set when the line cannot be opened.
    bool Open_Pty();
    bool Open_Port(const std::string& device);
    void Close();

    int Fd() const { return fd_; }
    // The device the PC opens: the pseudo-terminal's slave or the serial port.
    const std::string& Device() const { return device_; }
    const std::string& Error() const { return error_; }

  private:
    int fd_ = -1;
    int slave_fd_ = -1;
    std::string device_;
    std::string error_;
};
