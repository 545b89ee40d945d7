#include "Link_Rig.h"

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

// Each way a step ends: what went out, what was counted and logged, the message if any, and the
// time it took. The fake yield blocks for the whole wait it is allowed, like the real one when
// nothing arrives: an unanswered 3-second wait takes one yield, not thousands of passes. Only a
// port that is gone counts as lost.
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
        // A reply that came whole, even a corrupted one, owes nothing: only an attempt that
        // timed out leaves a reply to wait for, once, before the next block.
        {"a corrupted and a missing acknowledgement", &RS232_Link::Write_EEPROM,
         Except({{3, {Bytes("04 00 FA")}}, {6, {}}}), nullptr, true, 514, "514",
         Block_Line(511) + "0x04; 0x00; 0xFB\r\n", "", 6000},
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
             if (r.port.Frames.size() == 11 && r.port.Open) {
                 r.port.Lose_Port();
             }
         },
         false, 11, "10", Block_Line(10), Write_Failed, 3000},
        {"port gone before the step", &RS232_Link::Reset_PIC, Answer_All,
         [](Link_Rig& r) { r.port.Open = false; }, false, 0, "", "", Reset_Failed, 0},
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
        EXPECT_EQ(r.view.Received, c.Received);
        EXPECT_EQ(r.view.Log, c.Log);
        EXPECT_EQ(r.Shown(), c.Message);
        EXPECT_EQ(r.clock.Now, c.Ms);
        EXPECT_EQ(r.link.Port_Lost(), !r.port.Open);
        EXPECT_LE(r.data.Rx_Buffer.size(), Rx_Buffer_Capacity);
    }
}

// The unit answers every request it hears, in turn. Block 9's first acknowledgement leaves
// 3050 ms late, after the retry went out, and block 10's first request is lost on the line:
// the retry's acknowledgement must not pass for block 10's.
TEST_F(Link_Test, Late_Acknowledgement_Is_Not_Taken_For_The_Next_Block) {
    std::uint32_t unit_busy_until = 0;
    port.Responder = [&](const std::string& request, std::size_t index) {
        if (index != 11) {
            unit_busy_until = std::max(clock.Now + (index == 9 ? 3050 : 1), unit_busy_until + 1);
            Timed.emplace(unit_busy_until, Valid_Answer(request));
        }
        return Bursts{};
    };
    EXPECT_TRUE(link.Write_EEPROM());
    EXPECT_EQ(port.Count(Cmd_Write_EEPROM), 514u);
    EXPECT_EQ(port.Frames[12], port.Frames[11]) << "block 10 sent again";
    EXPECT_EQ(link.Statistics().Late_Replies, 1);
    EXPECT_EQ(Shown(), "");
}
