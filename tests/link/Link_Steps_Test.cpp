#include "Link_Rig.h"

#include <random>
#include <set>

namespace {

using Bursts = std::vector<std::string>;

// The log line of block k of an empty image, as the link sends it.
std::string Block_Line(std::size_t k) {
    return Log_Line(Write_Block_Request(std::vector<std::uint8_t>(65536), k));
}

const std::string Detection_Line = "0x87; 0x00; 0x78\r\n";
const std::string Reset_Line = "0xFE; 0x00; 0x01\r\n";
const std::string Found_Line = "0x87; 0x04; 0x41; 0x42; 0x43; 0x44; 0x6A\r\n";

// Answers every request at once, but those at the indexes given (counted over all writes) as
// given.
Scripted_Serial_Control::Responder_Function Except(std::map<std::size_t, Bursts> replies) {
    return [replies](const std::string& request, std::size_t index) {
        const auto given = replies.find(index);
        return given != replies.end() ? given->second : Answer_All(request, index);
    };
}

// "write 3/512 #2": what the view was told before each frame went out, or what the frames say
// it must have been told (a repeated frame is a further attempt of the same request).
std::string Attempt_Text(const Link_Attempt& a) {
    const char* step[] = {"find", "write", "reset"};
    return std::string(step[int(a.Step)]) +
           (a.Step == Link_Step::Write_Block
                ? " " + std::to_string(a.Block) + "/" + std::to_string(a.Blocks)
                : "") +
           " #" + std::to_string(a.Number);
}
std::vector<std::string> Announced(const std::vector<Link_Attempt>& attempts) {
    std::vector<std::string> texts;
    for (const Link_Attempt& a : attempts) {
        texts.push_back(Attempt_Text(a));
    }
    return texts;
}
std::vector<std::string> Attempts_Of(const std::vector<std::string>& frames) {
    std::vector<std::string> texts;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const auto byte = [&](std::size_t b) { return std::size_t(std::uint8_t(frames[i][b])); };
        Link_Attempt a;
        a.Step = byte(0) == Cmd_Find_Module ? Link_Step::Find_Module
                 : byte(0) == Cmd_Reset_PIC ? Link_Step::Reset_PIC
                                            : Link_Step::Write_Block;
        if (a.Step == Link_Step::Write_Block) {
            a.Block = (byte(2) << 24 | byte(3) << 16 | byte(4) << 8 | byte(5)) / Block_Size;
            a.Blocks = Block_Count;
        }
        for (std::size_t j = i; j > 0 && frames[j - 1] == frames[i]; --j) {
            ++a.Number;
        }
        texts.push_back(Attempt_Text(a));
    }
    return texts;
}

} // namespace

// Bytes that come while no reply is awaited belong to no request: dropped and counted.
TEST_F(Link_Test, Stray_Bytes_Are_Dropped_And_The_Log_Shows_Request_In_Blue_Reply_In_Red) {
    port.Pending.push_back(Bytes("87 04 41"));
    port.Deliver_Next();
    EXPECT_EQ(link.Statistics().Discarded_Bytes, 3u);
    EXPECT_TRUE(data.Rx_Buffer.empty());
    port.Responder = Answer_All;
    EXPECT_TRUE(link.Find_Module());
    EXPECT_EQ(view.Colours, (std::vector<Recording_View::Colouring>{{18, 42, 255}}));
    EXPECT_TRUE(link.Reset_PIC());
    EXPECT_EQ(view.Colours, (std::vector<Recording_View::Colouring>{{0, 18, 0xFF0000}}));
}

TEST_F(Link_Test, Wait_Measures_Across_A_Clock_Wrap_And_Yields_The_Time_Left) {
    clock.Now = 0xFFFFFC00;
    std::vector<std::uint32_t> waits;
    ws.On_Yield = [&](std::uint32_t wait) {
        waits.push_back(wait);
        clock.Advance(700);
        if (ws.Yields > 100) {
            link.Request_Abort(); // a wait that lost track of time would never end
        }
    };
    EXPECT_FALSE(link.Find_Module());
    EXPECT_EQ(ws.Yields, 15);
    EXPECT_EQ(std::vector<std::uint32_t>(waits.begin(), waits.begin() + 5),
              (std::vector<std::uint32_t>{3000, 2300, 1600, 900, 200}));
}

// Each way a step ends: what went out (each sending told to the view first, numbered among its
// repeats), what was counted and logged, the message if any, and the time it took. The fake yield
// blocks for the whole wait it is allowed, like the real one when nothing arrives: an unanswered
// 3-second wait takes one yield, not thousands of passes. Only a port that is gone counts as lost.
TEST(Link, A_Step_Ends_On_Its_Reply_Bad_Replies_Silence_Flood_Stop_Abort_Or_A_Lost_Port) {
    const struct {
        const char* Name;
        bool (RS232_Link::*Step)();
        Scripted_Serial_Control::Responder_Function Responder;
        std::function<void(Link_Rig&)> During; // before the step and in every yield
        bool Done;
        std::size_t Frames;
        std::string Received, Log, Message;
        std::uint32_t Ms;
    } cases[] = {
        {"reply in two bursts", &RS232_Link::Find_Module,
         [](const std::string&, std::size_t) {
             return Bursts{Bytes("87 04 41"), Bytes("42 43 44 6A")};
         },
         nullptr, true, 1, "1", Detection_Line + Found_Line, "", 0},
        {"reset acknowledged, its reply not logged", &RS232_Link::Reset_PIC, Answer_All, nullptr,
         true, 1, "1", Reset_Line, "", 0},
        {"silent unit", &RS232_Link::Find_Module, nullptr, nullptr, false, 3, "3",
         Detection_Line + "\r\n", Not_Found, 9000},
        {"wrong echo, bad checksum, short reply", &RS232_Link::Find_Module,
         Except({{0, {Bytes("88 04 41 42 43 44 69")}},
                 {1, {Bytes("87 04 41 42 43 44 6B")}},
                 {2, {Bytes("87 04 41 42 43 44")}}}),
         nullptr, false, 3, "3", Detection_Line + "0x87; 0x04; 0x41; 0x42; 0x43; 0x44\r\n",
         Not_Found, 3000},
        {"answered on the third try", &RS232_Link::Find_Module, Except({{0, {}}, {1, {}}}), nullptr,
         true, 3, "3", Detection_Line + Found_Line, "", 6000},
        // Every attempt is decided on its first burst; the log shows 64 bytes and the count of
        // the rest.
        {"megabytes in reply", &RS232_Link::Find_Module,
         [](const std::string&, std::size_t) { return Bursts{std::string(1 << 20, '\x87')}; },
         nullptr, false, 3, "3",
         Detection_Line + Log_Line(std::string(64, '\x87')).substr(0, 64 * 6 - 2) +
             " ... (+1048512 bytes)\r\n",
         Not_Found, 0},
        // Longer acknowledgements are judged on their first three bytes; bytes arriving between
        // two waits are thrown away. A Stop clicked before the write began is forgotten.
        {"every block acknowledged", &RS232_Link::Write_EEPROM,
         [](const std::string& request, std::size_t) {
             return Bursts{Valid_Answer(request) + Bytes("55"), Bytes("04 00 FB")};
         },
         [](Link_Rig& r) { r.data.Stop_Request |= r.ws.Yields == 0; }, true, 512, "512",
         Block_Line(511) + "0x04; 0x00; 0xFB; 0x55\r\n", "", 0},
        {"block 3 never acknowledged", &RS232_Link::Write_EEPROM,
         Except({{3, {}}, {4, {}}, {5, {}}}), nullptr, false, 6, "6", Block_Line(3) + "\r\n",
         Write_Failed, 9000},
        // An attempt without a valid reply may still be answered: the next block waits until
        // the line has been silent for 3 s.
        {"a corrupted and a missing acknowledgement", &RS232_Link::Write_EEPROM,
         Except({{3, {Bytes("04 00 FA")}}, {6, {}}}), nullptr, true, 514, "514",
         Block_Line(511) + "0x04; 0x00; 0xFB\r\n", "", 15000},
        {"reset answered as a write, with Stop pressed", &RS232_Link::Reset_PIC,
         [](const std::string&, std::size_t) { return Bursts{Bytes("04 00 FB")}; },
         [](Link_Rig& r) { r.data.Stop_Request = true; }, false, 3, "3", Reset_Line, Reset_Failed,
         0},
        {"Stop during a wait with the reply in", &RS232_Link::Write_EEPROM, Answer_All,
         [](Link_Rig& r) {
             r.data.Stop_Request |= r.port.Frames.size() == 101 && !r.port.Pending.empty();
         },
         false, 101, "100", Block_Line(100), "", 0},
        {"port lost during a wait", &RS232_Link::Write_EEPROM, Answer_All,
         [](Link_Rig& r) {
             if (r.port.Frames.size() == 11 && r.port.Is_Open) {
                 r.port.Lose_Port();
             }
         },
         false, 11, "10", Block_Line(10), Write_Failed, 3000},
        {"port gone before the step", &RS232_Link::Reset_PIC, Answer_All,
         [](Link_Rig& r) { r.port.Is_Open = false; }, false, 0, "", "", Reset_Failed, 0},
        {"abort during a wait", &RS232_Link::Find_Module, Answer_All,
         [](Link_Rig& r) {
             if (!r.port.Frames.empty()) {
                 r.link.Request_Abort();
             }
         },
         false, 1, "0", Detection_Line, "", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Link_Rig r;
        r.port.Responder = c.Responder;
        if (c.During) {
            c.During(r);
            r.Hook = [&] { c.During(r); };
        }
        EXPECT_EQ((r.link.*c.Step)(), c.Done);
        EXPECT_EQ(r.port.Frames.size(), c.Frames);
        EXPECT_EQ(Announced(r.view.Attempts), Attempts_Of(r.port.Frames));
        EXPECT_EQ(r.view.Received, c.Received);
        EXPECT_EQ(r.view.Log, c.Log);
        EXPECT_EQ(r.Shown(), c.Message);
        EXPECT_EQ(r.clock.Now, c.Ms);
        EXPECT_EQ(r.link.Port_Lost(), !r.port.Is_Open);
        EXPECT_LE(r.data.Rx_Buffer.size(), Rx_Buffer_Capacity);
    }
}

// A unit on a faulty line. Each write request is heard and stored, or lost; each reply leaves
// on its own timer, so a late one may come after the replies to later requests, and may be
// followed by stray bytes, in the same write or a few milliseconds later.
struct Line_Fault {
    bool Lost = false;
    std::uint32_t Late_Ms = 1;
    std::string Reply = {}; // empty: the valid acknowledgement
    std::string Stray = {};
    std::uint32_t Stray_Gap_Ms = 0;
};

struct Faulty_Unit {
    Faulty_Unit(Link_Rig& rig, std::map<std::size_t, Line_Fault> faults) {
        rig.port.Responder = [&rig, this, faults](const std::string& request, std::size_t index) {
            const auto given = faults.find(index);
            const Line_Fault fault = given != faults.end() ? given->second : Line_Fault{};
            if (!fault.Lost) {
                const auto address = static_cast<std::uint8_t>(request[4]) * 256u +
                                     static_cast<std::uint8_t>(request[5]);
                Stored.insert(address / 128);
                const std::string reply = fault.Reply.empty() ? Valid_Answer(request) : fault.Reply;
                const std::uint32_t at = rig.clock.Now + fault.Late_Ms;
                const bool together = !fault.Stray.empty() && fault.Stray_Gap_Ms == 0;
                rig.Timed.emplace(at, together ? reply + fault.Stray : reply);
                if (!together && !fault.Stray.empty()) {
                    rig.Timed.emplace(at + fault.Stray_Gap_Ms, fault.Stray);
                }
            }
            return Bursts{};
        };
    }
    std::set<std::size_t> Stored; // blocks the unit holds
};

// Block 9's first acknowledgement leaves 3.3 s late, after the retry's; block 10's first
// request is lost. However stray bytes fall around the retry's acknowledgement, the late one
// must not pass for block 10's: a run that says written has every block stored.
TEST(Link, Late_And_Stray_Replies_Never_Pass_For_The_Next_Block) {
    const Line_Fault late{.Late_Ms = 3300};
    const Line_Fault lost{.Lost = true};
    const Line_Fault corrupted{.Reply = Bytes("04 00 FA")};
    const std::map<std::size_t, Line_Fault> very_late{{9, {.Late_Ms = 7000}}, {11, lost}};
    // Block 9 late, block 10's retry acknowledged as given, block 11 (block 10's first) lost.
    const auto around = [&](Line_Fault retry) {
        return std::map<std::size_t, Line_Fault>{{9, late}, {10, retry}, {11, lost}};
    };
    const struct {
        const char* Name;
        std::map<std::size_t, Line_Fault> Faults;
        std::uint32_t Noise_From_Ms; // 3 stray bytes every second from then on, when not 0
        bool Done;
        std::size_t Frames;
        int Late;
        std::uint32_t Ms;
    } cases[] = {
        {"stray bytes 1 ms after the retry's acknowledgement",
         around({.Stray = Bytes("5A A5 3C"), .Stray_Gap_Ms = 1}), 0, true, 514, 1, 12810},
        {"stray bytes starting with the echo in the same write",
         around({.Stray = Bytes("04 12 34")}), 0, true, 514, 1, 12810},
        {"a valid acknowledgement glued to the retry's is not counted",
         around({.Stray = Bytes("04 00 FB")}), 0, true, 514, 1, 12810},
        // The retry's acknowledgement comes at once: the wait lasts until 6 s after it left.
        {"a corrupted acknowledgement owes the real one", {{9, corrupted}}, 0, true, 513, 0, 6512},
        {"an owed reply that never comes", {{9, lost}}, 0, true, 513, 0, 9511},
        // The retry left at 3009: its silence is kept from 3010 to 6010, but a reply is awaited
        // until 9009.
        {"the first attempt answered 7 s late, the next request lost", very_late, 0, true, 514, 1,
         16510},
        {"a line that never falls silent fails the block", {{9, lost}}, 3100, false, 11, 0, 12010},
    };
    for (const auto& c : cases) {
        for (const std::uint32_t cap : {UINT32_MAX, 250u}) {
            SCOPED_TRACE(std::string(c.Name) + (cap == 250 ? ", yields of 250 ms" : ""));
            Link_Rig r;
            r.Yield_Cap = cap;
            Faulty_Unit unit(r, c.Faults);
            for (std::uint32_t t = c.Noise_From_Ms; t != 0 && t < 60000; t += 1000) {
                r.Timed.emplace(t, Bytes("5A A5 3C"));
            }
            EXPECT_EQ(r.link.Write_EEPROM(), c.Done);
            EXPECT_EQ(r.port.Frames.size(), c.Frames);
            EXPECT_EQ(r.link.Statistics().Late_Replies, c.Late);
            EXPECT_EQ(r.clock.Now, c.Ms);
            EXPECT_EQ(r.Shown(), c.Done ? "" : Write_Failed);
            EXPECT_EQ(unit.Stored.size(), c.Done ? 512u : 10u);
        }
    }
}

// Random faults on a few percent of the requests: lost, late by up to 5.8 s, corrupted, short,
// followed by stray bytes. No run may say written for a unit that lacks a block, and a line this
// good must not fail a run either.
TEST(Link, Random_Line_Faults_Give_No_False_Success) {
    int written = 0;
    for (unsigned seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 random(seed);
        auto chance = [&](int percent) { return static_cast<int>(random() % 100) < percent; };
        std::map<std::size_t, Line_Fault> faults;
        for (std::size_t index = 0; index < 600; ++index) {
            Line_Fault fault;
            if (!chance(8)) {
                continue;
            }
            switch (random() % 5) {
            case 0:
                fault.Lost = true;
                break;
            case 1:
                fault.Late_Ms = 3000 + random() % 2800;
                break;
            case 2:
                fault.Reply = chance(50) ? Bytes("04 00 FA") : Bytes("04 00");
                break;
            default:
                fault.Stray = chance(50) ? Bytes("04 12") : Bytes("5A A5 3C");
                fault.Stray_Gap_Ms = random() % 3;
                break;
            }
            faults[index] = fault;
        }
        Link_Rig r;
        Faulty_Unit unit(r, faults);
        if (r.link.Write_EEPROM()) {
            ++written;
            EXPECT_EQ(unit.Stored.size(), 512u);
        }
    }
    EXPECT_GE(written, 36);
}

// Bytes already waiting when a run starts, such as the late reply to a run killed during
// detection, answer none of its requests.
TEST_F(Link_Test, Input_Waiting_Before_The_First_Request_Is_Dropped) {
    port.Pending.push_back(Valid_Answer(Find_Module_Request()));
    EXPECT_FALSE(link.Find_Module());
    EXPECT_EQ(link.Statistics().Discarded_Bytes, 7u);
    EXPECT_EQ(Shown(), Not_Found);
}
