#pragma once

#include <cstddef>
#include <string_view>

// The request a link step is about to send or has sent.
enum class Link_Step { Find_Module, Write_Block, Reset_PIC };
struct Link_Attempt {
    Link_Step Step = Link_Step::Find_Module;
    std::size_t Block = 0;  // write requests: the block's index, from 0
    std::size_t Blocks = 0; // write requests: how many blocks the image has
    int Number = 1;         // 1 for a request's first sending, up to Max_Attempts; above 1 a retry
};

// What the link steps do on the line, as it happens. The link only reports: the traffic log,
// its counters and the progress are kept by whoever listens (see Traffic_Log), so nothing is ever
// read back from a view. Everything arrives on the link's own thread, in the order it happened.
class Link_Events {
  public:
    virtual ~Link_Events() = default;

    virtual void Step_Started(Link_Step) {}
    // Before the write request of `block`, before the yield that lets a window repaint.
    virtual void Block_Started(std::size_t /*block*/, std::size_t /*blocks*/) {}
    // Every sending of a request, retries included; `frame` is the request's bytes.
    virtual void Request_Sent(const Link_Attempt&, std::string_view /*frame*/) {}
    // Every wait for a reply ends here, a time-out with nothing heard too: `kept` holds the first
    // of the `received` bytes.
    virtual void Reply_Heard(const Link_Attempt&, std::string_view /*kept*/,
                             std::size_t /*received*/) {}
    virtual void Block_Acknowledged(std::size_t /*block*/, std::size_t /*blocks*/) {}
    virtual void Step_Ended(Link_Step, bool /*succeeded*/) {}
};
