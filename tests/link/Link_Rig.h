#pragma once

#include "Fake_Window_System.h"
#include "Recording_View.h"
#include "Scripted_Serial_Control.h"
#include "mod_RS232.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

// The link wired to a scripted port, a recording window and a manual clock. Every yield first
// runs the test's hook, then delivers one pending burst; when nothing is pending the clock jumps
// to the next timed burst within the wait the link allowed, or by the whole wait (at most
// Yield_Cap), as a blocking yield would.
struct Link_Rig {
    Link_Rig() {
        port.Is_Open = true;
        ws.On_Yield = [this](std::uint32_t wait) {
            wait = std::min(wait, Yield_Cap);
            if (Hook) {
                Hook();
            }
            if (port.Deliver_Next()) {
                return;
            }
            if (Timed.empty() || Timed.begin()->first > clock.Now + wait) {
                clock.Advance(wait);
                return;
            }
            clock.Now = std::max(clock.Now, Timed.begin()->first);
            port.Pending.push_back(Timed.begin()->second);
            Timed.erase(Timed.begin());
            port.Deliver_Next();
        };
    }

    // Every message shown: title, whether critical, and text.
    std::string Shown() const {
        std::string shown;
        for (const auto& m : ws.Messages) {
            shown += m.Title + (m.Icon == Message_Icon::Critical ? " (critical): " : ": ") + m.Text;
        }
        return shown;
    }

    Program_Data data{Vantrel_Program()};
    Scripted_Serial_Control port;
    Fake_Window_System ws;
    Manual_Clock clock;
    Recording_View view;
    RS232_Link link{data, port, ws, clock, view};
    std::function<void()> Hook;
    std::multimap<std::uint32_t, std::string> Timed; // bursts that arrive at a clock time
    // A busy window's yield returns after other events too, well before the wait it was allowed.
    std::uint32_t Yield_Cap = UINT32_MAX;
};

class Link_Test : public Link_Rig, public ::testing::Test {};

inline const std::string Link_Failure =
    "ERROR RS232 (critical): Comunicazione seriale interrotta.\r\n";
inline const std::string Not_Found =
    Link_Failure + "Impossibile trovare il modulo, verificare la connessione!";
inline const std::string Write_Failed = Link_Failure + "Scrittura EEPROM I2C fallita!";
inline const std::string Reset_Failed = Link_Failure + "Impossibile resettare PIC!";
