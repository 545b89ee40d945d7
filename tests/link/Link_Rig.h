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
// to the next timed burst within the wait the link allowed, or by the whole wait, as a blocking
// yield would.
class Link_Rig : public ::testing::Test {
  protected:
    Link_Rig() {
        port.Open = true;
        ws.On_Yield = [this](std::uint32_t wait) {
            Waits.push_back(wait);
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

    // The one message shown: the link's failure text after its common first line.
    void Expect_Failure(const std::string& step) {
        ASSERT_EQ(ws.Messages.size(), 1u);
        EXPECT_EQ(ws.Messages[0].Text, "Comunicazione seriale interrotta.\r\n" + step);
        EXPECT_EQ(ws.Messages[0].Title, "ERROR RS232");
        EXPECT_EQ(ws.Messages[0].Icon, Message_Icon::Critical);
    }

    Program_Data data{Vantrel_Program()};
    Scripted_Serial_Control port;
    Fake_Window_System ws;
    Manual_Clock clock;
    Recording_View view;
    RS232_Link link{data, port, ws, clock, view};
    std::function<void()> Hook;
    std::vector<std::uint32_t> Waits;
    std::multimap<std::uint32_t, std::string> Timed; // bursts that arrive at a clock time
};

inline const std::string Not_Found = "Impossibile trovare il modulo, verificare la connessione!";
inline const std::string Write_Failed = "Scrittura EEPROM I2C fallita!";
inline const std::string Reset_Failed = "Impossibile resettare PIC!";
