#include "Link_Rig.h"

#include <set>

namespace {

std::size_t Block_Of(const std::string& frame) {
    return (static_cast<std::uint8_t>(frame[4]) * 256u + static_cast<std::uint8_t>(frame[5])) /
           Block_Size;
}

const std::string Detection_Line = "0x87; 0x00; 0x78\r\n";
const std::string Reset_Line = "0xFE; 0x00; 0x01\r\n";

} // namespace

TEST_F(Link_Rig, Log_Replaces_With_Blue_Request_Then_Appends_Red_Reply) {
    view.Log = "old text\r\n";
    link.Log_Sent(Find_Module_Request());
    EXPECT_EQ(view.Log, Detection_Line);
    EXPECT_EQ(view.Colours, (std::vector<Recording_View::Colouring>{{0, 18, 0xFF0000}}));

    link.Log_Received(Bytes("87 04 41 42 43 44 6A"), 7);
    EXPECT_EQ(view.Log, Detection_Line + "0x87; 0x04; 0x41; 0x42; 0x43; 0x44; 0x6A\r\n");
    EXPECT_EQ(view.Colours, (std::vector<Recording_View::Colouring>{{18, 42, 255}}));

    link.Log_Sent(Find_Module_Request());
    link.Log_Received("", 0);
    EXPECT_EQ(view.Log, Detection_Line + "\r\n");
    EXPECT_EQ(view.Colours, (std::vector<Recording_View::Colouring>{{18, 2, 255}}));
}

TEST_F(Link_Rig, Module_Answering_In_Two_Bursts_Is_Found_At_Once) {
    view.Log = "previous run";
    view.Progress.clear();
    port.Responder = [](const std::string&, std::size_t) {
        return std::vector<std::string>{Bytes("87 04 41 42"), Bytes("43 44 6A")};
    };
    EXPECT_TRUE(link.Find_Module());
    EXPECT_EQ(port.Frames, std::vector<std::string>{Bytes("87 00 78")});
    EXPECT_EQ(view.Sent(), "1");
    EXPECT_EQ(view.Received(), "1");
    EXPECT_EQ(view.Log, Detection_Line + "0x87; 0x04; 0x41; 0x42; 0x43; 0x44; 0x6A\r\n");
    EXPECT_EQ(view.Progress, std::vector<double>{0});
    EXPECT_EQ(clock.Now, 0u);
    EXPECT_TRUE(ws.Messages.empty());
}

// The fake yield blocks for the whole wait it is allowed, like the real one when nothing
// arrives: three unanswered 3-second waits then take three yields, not thousands of passes.
TEST_F(Link_Rig, Silent_Module_Costs_Three_Blocking_Waits_And_One_Message) {
    EXPECT_FALSE(link.Find_Module());
    EXPECT_EQ(port.Frames, std::vector<std::string>(3, Bytes("87 00 78")));
    EXPECT_EQ(view.Sent(), "3");
    EXPECT_EQ(view.Received(), "3");
    EXPECT_EQ(view.Log, Detection_Line + "\r\n");
    EXPECT_EQ(ws.Yields, 3);
    EXPECT_EQ(Waits, (std::vector<std::uint32_t>{3000, 3000, 3000}));
    EXPECT_EQ(clock.Now, 9000u);
    Expect_Failure(Not_Found);
}

TEST_F(Link_Rig, Wait_Measures_Across_A_Clock_Wrap_And_Yields_The_Time_Left) {
    clock.Now = 0xFFFFFC00;
    ws.On_Yield = [this](std::uint32_t wait) {
        Waits.push_back(wait);
        clock.Advance(700);
        if (ws.Yields > 100) {
            link.Request_Abort(); // a wait that lost track of time would never end
        }
    };
    EXPECT_FALSE(link.Find_Module());
    EXPECT_EQ(ws.Yields, 15);
    EXPECT_EQ(std::vector<std::uint32_t>(Waits.begin(), Waits.begin() + 5),
              (std::vector<std::uint32_t>{3000, 2300, 1600, 900, 200}));
}

TEST_F(Link_Rig, Wrong_Echo_Bad_Checksum_And_Short_Replies_Fail_Until_The_Third_Request) {
    port.Responder = [](const std::string&, std::size_t index) {
        switch (index) {
        case 0:
            return std::vector<std::string>{With_Checksum(Bytes("88 04 41 42 43 44"))};
        case 1:
            return std::vector<std::string>{Bytes("87 04 41 42 43 44 6B")};
        case 2:
            return std::vector<std::string>{Bytes("87 04 41 42 43 44")};
        default:
            return std::vector<std::string>{};
        }
    };
    EXPECT_FALSE(link.Find_Module());
    EXPECT_EQ(port.Frames.size(), 3u);
    Expect_Failure(Not_Found);

    ws.Messages.clear();
    port.Frames.clear();
    port.Responder = [](const std::string& request, std::size_t index) {
        return index == 2 ? Answer_All(request, index) : std::vector<std::string>{};
    };
    EXPECT_TRUE(link.Find_Module());
    EXPECT_EQ(view.Sent(), "3");
    EXPECT_EQ(view.Received(), "3");
    EXPECT_EQ(view.Log, Detection_Line + "0x87; 0x04; 0x41; 0x42; 0x43; 0x44; 0x6A\r\n");
    EXPECT_TRUE(ws.Messages.empty());
}

TEST_F(Link_Rig, Whole_Image_Written_Block_By_Block) {
    for (std::size_t i = 0; i < data.EEPROM_Image.size(); ++i) {
        data.EEPROM_Image[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
    }
    view.Counters = {{Link_View::Counter::Sent, "1"}, {Link_View::Counter::Received, "1"}};
    data.Stop_Request = true; // left over from a click before the write began
    // Longer acknowledgements are judged on their first three bytes; bytes arriving between
    // two waits are thrown away and counted.
    port.Responder = [](const std::string& request, std::size_t) {
        return std::vector<std::string>{Valid_Answer(request) + Bytes("55"), Bytes("04 00 FB")};
    };
    EXPECT_TRUE(link.Write_EEPROM());
    ASSERT_EQ(port.Frames.size(), 512u);
    for (std::size_t k = 0; k < 512; ++k) {
        ASSERT_EQ(port.Frames[k], Write_Block_Request(data.EEPROM_Image, k));
    }
    EXPECT_EQ(view.Sent(), "513");
    EXPECT_EQ(view.Received(), "513");
    EXPECT_EQ(view.Progress.size(), 512u);
    EXPECT_EQ(view.Progress.back(), 511);
    EXPECT_FALSE(data.Stop_Request);
    EXPECT_EQ(link.Statistics().Requests, 512);
    EXPECT_EQ(link.Statistics().Retries, 0);
    EXPECT_EQ(link.Statistics().Bytes_Sent, 512u * 135u);
    EXPECT_EQ(link.Statistics().Discarded_Bytes, 511u * 3u);
    EXPECT_EQ(link.Statistics().Late_Replies, 0);
    EXPECT_EQ(clock.Now, 0u);
    EXPECT_TRUE(ws.Messages.empty());
}

// The unit answers every request it hears, in turn. Block 9's first acknowledgement leaves
// 3050 ms late, after the retry went out, and block 10's first request is lost on the line:
// the retry's acknowledgement must not pass for block 10's.
TEST_F(Link_Rig, Late_Acknowledgement_Is_Not_Taken_For_The_Next_Block) {
    std::set<std::size_t> stored;
    std::uint32_t unit_busy_until = 0;
    port.Responder = [&](const std::string& request, std::size_t index) {
        const std::size_t k = Block_Of(request);
        if (k == 10 && !stored.count(10) && port.Count(Cmd_Write_EEPROM) == 12) {
            return std::vector<std::string>{};
        }
        stored.insert(k);
        const std::uint32_t late = k == 9 && index == 9 ? 3050 : 1;
        unit_busy_until = std::max(clock.Now + late, unit_busy_until + 1);
        Timed.emplace(unit_busy_until, Valid_Answer(request));
        return std::vector<std::string>{};
    };
    EXPECT_TRUE(link.Write_EEPROM());
    EXPECT_EQ(stored.size(), 512u);
    EXPECT_EQ(port.Count(Cmd_Write_EEPROM), 514u);
    EXPECT_EQ(link.Statistics().Retries, 2);
    EXPECT_EQ(link.Statistics().Late_Replies, 1);
    EXPECT_TRUE(ws.Messages.empty());
}

// A reply that came whole, even a corrupted one, owes nothing: only an attempt that timed out
// leaves a reply to wait for, once, before the next block.
TEST_F(Link_Rig, Only_A_Timed_Out_Attempt_Costs_A_Wait_For_Its_Late_Reply) {
    port.Responder = [](const std::string& request, std::size_t index) {
        if (index == 3) {
            return std::vector<std::string>{Bytes("04 00 FA")};
        }
        return index == 6 ? std::vector<std::string>{} : Answer_All(request, index);
    };
    EXPECT_TRUE(link.Write_EEPROM());
    EXPECT_EQ(port.Count(Cmd_Write_EEPROM), 514u);
    EXPECT_EQ(link.Statistics().Retries, 2);
    EXPECT_EQ(link.Statistics().Late_Replies, 0);
    EXPECT_EQ(clock.Now, 6000u);
    EXPECT_EQ(view.Sent(), "514");
    EXPECT_EQ(view.Received(), "514");
}

// Megabytes in reply to each request: every attempt is decided on its first burst, the buffer
// keeps 255 bytes and the log shows 64 of them and the count of the rest.
TEST_F(Link_Rig, Flood_Is_Decided_At_Once_In_A_Bounded_Buffer) {
    port.Responder = [](const std::string&, std::size_t) {
        return std::vector<std::string>{std::string(1 << 20, '\x87')};
    };
    EXPECT_FALSE(link.Find_Module());
    EXPECT_EQ(port.Frames.size(), 3u);
    EXPECT_EQ(clock.Now, 0u);
    EXPECT_EQ(data.Rx_Buffer.size(), 255u);
    EXPECT_EQ(data.Rx_Count, 255);
    EXPECT_EQ(link.Statistics().Discarded_Bytes, 3u * ((1u << 20) - 255u));
    std::string shown = Log_Line(std::string(64, '\x87'));
    shown.resize(shown.size() - 2);
    EXPECT_EQ(view.Log,
              Detection_Line + shown + " ... (+" + std::to_string((1 << 20) - 64) + " bytes)\r\n");
    Expect_Failure(Not_Found);
}

TEST_F(Link_Rig, Block_Never_Acknowledged_Ends_The_Write_After_Three_Tries) {
    port.Responder = [](const std::string& request, std::size_t index) {
        return Block_Of(request) == 3 ? std::vector<std::string>{} : Answer_All(request, index);
    };
    EXPECT_FALSE(link.Write_EEPROM());
    ASSERT_EQ(port.Frames.size(), 6u);
    EXPECT_EQ(port.Frames[3], port.Frames[4]);
    EXPECT_EQ(port.Frames[3], port.Frames[5]);
    EXPECT_EQ(Block_Of(port.Frames[5]), 3u);
    EXPECT_EQ(view.Progress.back(), 3);
    EXPECT_EQ(view.Progress.size(), 4u);
    EXPECT_EQ(link.Statistics().Retries, 2);
    EXPECT_FALSE(data.Stop_Request);
    EXPECT_FALSE(link.Port_Lost());
    Expect_Failure(Write_Failed);
}

TEST_F(Link_Rig, Stop_During_A_Wait_Ends_The_Write_Silently_Even_With_The_Reply_In) {
    port.Responder = Answer_All;
    Hook = [this] {
        if (port.Frames.size() == 101 && !port.Pending.empty()) {
            data.Stop_Request = true;
        }
    };
    EXPECT_FALSE(link.Write_EEPROM());
    EXPECT_EQ(port.Frames.size(), 101u);
    EXPECT_EQ(view.Progress.back(), 100);
    EXPECT_TRUE(data.Stop_Request);
    EXPECT_EQ(view.Sent(), "101");
    EXPECT_EQ(view.Received(), "100");
    EXPECT_EQ(view.Log, Log_Line(port.Frames.back()));
    EXPECT_TRUE(ws.Messages.empty());
}

TEST_F(Link_Rig, Reset_Logs_Only_Its_Request_And_Refuses_A_Write_Acknowledgement) {
    port.Responder = Answer_All;
    EXPECT_TRUE(link.Reset_PIC());
    EXPECT_EQ(port.Frames, std::vector<std::string>{Bytes("FE 00 01")});
    EXPECT_EQ(view.Log, Reset_Line);
    EXPECT_EQ(view.Colours, (std::vector<Recording_View::Colouring>{{0, 18, 0xFF0000}}));

    view.Counters = {{Link_View::Counter::Sent, "0"}, {Link_View::Counter::Received, "0"}};
    port.Responder = [](const std::string&, std::size_t) {
        return std::vector<std::string>{Bytes("04 00 FB")};
    };
    data.Stop_Request = true; // the Stop button has no say over the reset
    EXPECT_FALSE(link.Reset_PIC());
    EXPECT_EQ(port.Frames.size(), 4u);
    EXPECT_EQ(view.Log, Reset_Line);
    EXPECT_EQ(view.Received(), "3");
    Expect_Failure(Reset_Failed);
}

TEST_F(Link_Rig, Port_Lost_Mid_Write_Ends_The_Step_At_Once) {
    port.Responder = Answer_All;
    Hook = [this] {
        if (port.Frames.size() == 11 && port.Open) {
            port.Lose_Port();
        }
    };
    EXPECT_FALSE(link.Write_EEPROM());
    EXPECT_TRUE(link.Port_Lost());
    EXPECT_EQ(port.Frames.size(), 11u);
    EXPECT_EQ(view.Received(), "10"); // the wait for block 10 was cut short, not completed
    EXPECT_LT(ws.Yields, 25);
    Expect_Failure(Write_Failed);

    // A step started on a port that is already gone sends nothing.
    EXPECT_FALSE(link.Reset_PIC());
    EXPECT_EQ(port.Frames.size(), 11u);
    EXPECT_EQ(ws.Messages.back().Text, "Comunicazione seriale interrotta.\r\n" + Reset_Failed);
}

TEST_F(Link_Rig, Abort_Ends_Any_Step_Without_A_Message_Until_Cleared) {
    port.Responder = Answer_All;
    Hook = [this] { link.Request_Abort(); };
    EXPECT_FALSE(link.Find_Module());
    EXPECT_EQ(port.Frames.size(), 1u);
    EXPECT_EQ(view.Received(), "0");
    EXPECT_FALSE(link.Write_EEPROM());
    EXPECT_FALSE(link.Reset_PIC());
    EXPECT_EQ(port.Frames.size(), 1u);
    EXPECT_TRUE(ws.Messages.empty());

    Hook = nullptr;
    link.Clear_Abort();
    EXPECT_TRUE(link.Find_Module());
}
