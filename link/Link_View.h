#pragma once

#include <cstdint>
#include <string>

// The parts of the serial window that the link steps write: the traffic log, the two packet
// counters and the progress bar. The window implements it over its controls, the command line
// over the terminal, and the tests with a recording fake.
class Link_View {
  public:
    enum class Counter { Sent, Received }; // txt_Send_Packet, txt_Received_Packet

    virtual ~Link_View() = default;

    // rtb_RS232_SPY: the whole text (lines end in "\r\n"), and the colour of a character range.
    // Colours are 0x00BBGGRR values: 0xFF0000 blue, 0x0000FF red.
    virtual std::string Log_Text() = 0;
    virtual void Set_Log_Text(const std::string& text) = 0;
    virtual void Set_Log_Colour(std::size_t start, std::size_t length, std::uint32_t colour) = 0;

    virtual std::string Counter_Text(Counter which) = 0;
    virtual void Set_Counter_Text(Counter which, const std::string& text) = 0;

    // pgb_RS232, scale 0 to 512.
    virtual void Set_Progress(double value) = 0;
};
