#pragma once

#include "Fake_Window_System.h"
#include "Recording_View.h"
#include "Scripted_Serial_Control.h"
#include "mod_RS232.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

// Bytes written as hex pairs, for readable frames: Bytes("87 00 78").
inline std::string Bytes(const std::string& hex) {
    std::string out;
    for (std::size_t i = 0; i < hex.size(); i += 3) {
        out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    }
    return out;
}

// A reply with a correct checksum after `head`.
inline std::string With_Checksum(std::string head) {
    head += static_cast<char>(Frame_Checksum(head));
    return head;
}

inline std::string Valid_Answer(const std::string& request) {
    if (static_cast<std::uint8_t>(request[0]) == Cmd_Find_Module) {
        return With_Checksum(Bytes("87 04 41 42 43 44"));
    }
    return With_Checksum(std::string{request[0], 0});
}

// A unit that answers every request at once, in one burst.
inline std::vector<std::string> Answer_All(const std::string& request, std::size_t) {
    return {Valid_Answer(request)};
}

// The link wired to a scripted port, a recording window and a manual clock. Every yield first
// runs the test's hook, then delivers one pending burst; when nothing is pending the clock jumps
// by the whole wait the link allowed, as a blocking yield would.
class Link_Rig : public ::testing::Test {
  protected:
    Link_Rig() {
        ws.On_Yield = [this](std::uint32_t wait) {
            Waits.push_back(wait);
            if (Hook) {
                Hook();
            }
            if (!port.Deliver_Next()) {
                clock.Advance(wait);
            }
        };
    }

    std::vector<std::string> Frames_With(std::uint8_t command) const {
        std::vector<std::string> found;
        for (const auto& frame : port.Frames) {
            if (static_cast<std::uint8_t>(frame[0]) == command) {
                found.push_back(frame);
            }
        }
        return found;
    }

    Program_Data data{Vantrel_Program()};
    Scripted_Serial_Control port;
    Fake_Window_System ws;
    Manual_Clock clock;
    Recording_View view;
    RS232_Link link{data, port, ws, clock, view};
    std::function<void()> Hook;
    std::vector<std::uint32_t> Waits;
};

inline const std::string Module_Not_Found_Text = "Comunicazione seriale interrotta.\r\nImpossibile "
                                                 "trovare il modulo, verificare la connessione!";
inline const std::string Write_Failed_Text =
    "Comunicazione seriale interrotta.\r\nScrittura EEPROM I2C fallita!";
inline const std::string Reset_Failed_Text =
    "Comunicazione seriale interrotta.\r\nImpossibile resettare PIC!";
