#pragma once

#include "Session_Events.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// What the serial window shows of the line: the traffic log (the request just sent in blue and
// below it the reply heard, in red), the two packet counters and the progress. Kept here, from
// the link's events, so that every face draws the same thing and none reads its controls back.
class Traffic_Log : public Session_Events {
  public:
    enum class Counter { Sent, Received }; // txt_Send_Packet, txt_Received_Packet
    enum class Change { Log, Counters, Progress };
    struct Colour_Span {
        std::size_t Start;
        std::size_t Length;
        std::uint32_t Colour; // 0x00BBGGRR: 0xFF0000 blue, 0x0000FF red
        bool operator==(const Colour_Span&) const = default;
    };

    // Called after every change, with what changed.
    void Set_Listener(std::function<void(Change)> listener) { listener_ = std::move(listener); }

    // The whole text; lines end in "\r\n".
    const std::string& Text() const { return text_; }
    // The colours of the text, since it was last replaced.
    const std::vector<Colour_Span>& Colours() const { return colours_; }
    // The line the last change added; empty when it emptied the log.
    const std::string& Last_Line() const { return last_line_; }
    // The decimal text a counter shows.
    std::string Counter_Text(Counter which) const;
    // The index of the block about to be sent, 0 to 511.
    int Progress() const { return progress_; }

    // The log emptied, as when the port is closed.
    void Clear_Log();

    void Run_Started() override;
    void Step_Started(Link_Step step) override;
    void Block_Started(std::size_t block, std::size_t blocks) override;
    void Request_Sent(const Link_Attempt& attempt, std::string_view frame) override;
    void Reply_Heard(const Link_Attempt& attempt, std::string_view kept,
                     std::size_t received) override;

  private:
    void Add_Line(std::string line, std::uint32_t colour, bool replaces);
    void Reset_Counters();
    // A counter's text read as a 16-bit signed number, plus one: past 32767 the text no longer
    // reads as one and the count starts again from 1.
    static int Incremented(int value);
    void Changed(Change what) const;

    std::string text_;
    std::vector<Colour_Span> colours_;
    std::string last_line_;
    int sent_ = 0;
    int received_ = 0;
    int progress_ = 0;
    std::function<void(Change)> listener_;
};
