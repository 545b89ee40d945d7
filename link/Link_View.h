#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The request a link step is about to send, for a window that tells what is going on.
enum class Link_Step { Find_Module, Write_Block, Reset_PIC };
struct Link_Attempt {
    Link_Step Step = Link_Step::Find_Module;
    std::size_t Block = 0;  // write requests: the block's index, from 0
    std::size_t Blocks = 0; // write requests: how many blocks the image has
    int Number = 1;         // 1 for a request's first sending, up to Max_Attempts
};

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

    // Called right before each sending of a request, retries included. The link calls it once
    // per block, so it must stay cheap; a view that shows no such thing leaves it alone.
    virtual void Attempt_Started(const Link_Attempt&) {}
};
