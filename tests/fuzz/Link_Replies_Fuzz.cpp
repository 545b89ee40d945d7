#include "Fake_Window_System.h"
#include "Fuzz_Input_File.h"
#include "Recording_View.h"
#include "Scripted_Serial_Control.h"
#include "mod_RS232.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>

namespace {

// What the unit and the user do inside one yield, read from the input one control byte at a time:
//   00nnnnnn  a burst of the next n input bytes arrives
//   01nnnnnn  the same, then the rest of the wait passes
//   10nnnnnn  n x 100 ms pass with nothing received
//   11000000  Stop is pressed;  11000001  the port goes away;  any other  the wait passes
// When the input is used up, every wait runs out.
class Unit_Script {
  public:
    Unit_Script(const std::uint8_t* bytes, std::size_t size) : at_(bytes), end_(bytes + size) {}

    void Yield(std::uint32_t wait, Scripted_Serial_Control& port, Manual_Clock& clock,
               Program_Data& data) {
        const std::uint32_t whole_wait = std::max<std::uint32_t>(wait, 1);
        if (at_ == end_) {
            clock.Advance(whole_wait);
            return;
        }
        const std::uint8_t control = *at_++;
        const std::size_t n = control & 0x3F;
        switch (control >> 6) {
        case 0:
        case 1: {
            const std::size_t length = std::min<std::size_t>(n, end_ - at_);
            port.Pending.assign(1, std::string(at_, at_ + length));
            at_ += length;
            port.Deliver_Next();
            if (control >> 6 == 1) {
                clock.Advance(whole_wait);
            }
            break;
        }
        case 2:
            clock.Advance(static_cast<std::uint32_t>(n) * 100);
            break;
        default:
            if (n == 0) {
                data.Stop_Request = true;
            } else if (n == 1) {
                port.Lose_Port();
            } else {
                clock.Advance(whole_wait);
            }
        }
    }

  private:
    const std::uint8_t* at_;
    const std::uint8_t* end_;
};

} // namespace

// The replies of a unit as the receive handler gets them, in bursts during the three link steps
// of a programming run, with time passing on a manual clock. Each step that fails reports it in
// at most one message (exactly one where Stop is not polled); a step that succeeds shows none.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    Program_Data data{Vantrel_Program()};
    Scripted_Serial_Control port;
    port.Is_Open = true;
    Fake_Window_System ws;
    Manual_Clock clock;
    Recording_View view;
    RS232_Link link{data, port, ws, clock, view};
    Unit_Script script(bytes, size);
    ws.On_Yield = [&](std::uint32_t wait) { script.Yield(wait, port, clock, data); };

    const auto check = [&](const std::function<bool()>& step, bool polls_stop) {
        const std::size_t before = ws.Messages.size();
        const bool done = step();
        const std::size_t shown = ws.Messages.size() - before;
        if (done ? shown != 0 : (shown > 1 || (!polls_stop && shown != 1))) {
            Fuzz_Fail("a link step reported its end with the wrong number of messages");
        }
    };
    check([&] { return link.Find_Module(); }, false);
    check([&] { return link.Write_EEPROM(); }, true);
    check([&] { return link.Reset_PIC(); }, false);
    if (link.Statistics().Blocks_Written > static_cast<int>(Block_Count)) {
        Fuzz_Fail("more blocks acknowledged than the image has");
    }
    return 0;
}
