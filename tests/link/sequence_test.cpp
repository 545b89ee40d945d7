#include "Link_Rig.h"
#include "Programming_Sequence.h"
#include "mod_Compilatore.h"

namespace {

class Sequence_Rig : public Link_Rig {
  protected:
    Sequence_Rig() {
        for (auto& table : data.Tables) {
            for (auto& slot : table.Slots) {
                slot.Path = std::string(DATA_FOLDER) + "/" + table.Model->Default_File;
                slot.Name = table.Model->Default_File;
                slot.Width = table.Model->Width;
                slot.Height = table.Model->Height;
            }
        }
        port.Responder = Answer_All;
        view.Log = "0x04; 0x00; 0xFB\r\n";
        view.Counters = {{Link_View::Counter::Sent, "7"}, {Link_View::Counter::Received, "7"}};
    }

    void Expect_Buttons_Back() {
        EXPECT_EQ(view.Exit_History, (std::vector<bool>{false, true}));
        EXPECT_TRUE(view.OFF_Enabled);
        EXPECT_TRUE(port.Open || link.Port_Lost());
    }

    Programming_Sequence sequence{data, link, ws, view};
};

} // namespace

TEST_F(Sequence_Rig, Run_Compiles_Finds_Writes_And_Resets) {
    Hook = [this] {
        EXPECT_FALSE(view.Exit_Enabled);
        EXPECT_FALSE(view.OFF_Enabled);
    };
    EXPECT_EQ(sequence.Run(), Run_Outcome::Written);
    EXPECT_FALSE(sequence.Running());
    ASSERT_EQ(port.Frames.size(), 514u);
    EXPECT_EQ(port.Frames.front(), Find_Module_Request());
    EXPECT_EQ(port.Frames.back(), Reset_PIC_Request());

    Program_Data expected{Vantrel_Program()};
    expected.Tables = data.Tables;
    ASSERT_TRUE(Compile_Images(expected, ws));
    for (std::size_t k = 0; k < 512; ++k) {
        ASSERT_EQ(port.Frames[k + 1], Write_Block_Request(expected.EEPROM_Image, k));
    }
    EXPECT_EQ(view.Sent(), "514");
    EXPECT_EQ(view.Received(), "514");
    EXPECT_EQ(view.Log, "0xFE; 0x00; 0x01\r\n");
    EXPECT_TRUE(ws.Messages.empty());
    Expect_Buttons_Back();
}

TEST_F(Sequence_Rig, Missing_Background_Ends_The_Run_Before_Anything_Is_Sent) {
    data.Tables[1].Slots[2].Path = std::string(DATA_FOLDER) + "/missing.bmp";
    EXPECT_EQ(sequence.Run(), Run_Outcome::Compile_Failed);
    EXPECT_TRUE(port.Frames.empty());
    EXPECT_EQ(view.Log, "");
    EXPECT_EQ(view.Sent(), "0");
    EXPECT_EQ(view.Received(), "0");
    ASSERT_EQ(ws.Messages.size(), 1u);
    EXPECT_EQ(ws.Messages[0].Title, "ERROR");
    Expect_Buttons_Back();
}

TEST_F(Sequence_Rig, Absent_Module_Means_No_Write_And_No_Reset) {
    port.Responder = nullptr;
    EXPECT_EQ(sequence.Run(), Run_Outcome::Module_Not_Found);
    EXPECT_EQ(port.Frames.size(), 3u);
    Expect_Failure(Not_Found);
    Expect_Buttons_Back();
}

TEST_F(Sequence_Rig, Failed_Write_Is_Followed_By_A_Reset_A_Stopped_One_Is_Not) {
    port.Responder = [](const std::string& request, std::size_t index) {
        return request[0] == Cmd_Write_EEPROM && request[5] == char(0x80)
                   ? std::vector<std::string>{}
                   : Answer_All(request, index);
    };
    std::size_t messages_at_reset = 0;
    Hook = [&] {
        if (port.Frames.back() == Reset_PIC_Request() && messages_at_reset == 0) {
            messages_at_reset = ws.Messages.size();
        }
    };
    EXPECT_EQ(sequence.Run(), Run_Outcome::Write_Failed);
    EXPECT_EQ(port.Frames.size(), 1u + 1u + 3u + 1u);
    EXPECT_EQ(port.Frames.back(), Reset_PIC_Request());
    EXPECT_EQ(messages_at_reset, 1u);
    Expect_Failure(Write_Failed);
    Expect_Buttons_Back();

    port.Frames.clear();
    view.Exit_History.clear();
    ws.Messages.clear();
    port.Responder = Answer_All;
    Hook = [this] {
        if (port.Frames.size() == 101) {
            data.Stop_Request = true;
        }
    };
    EXPECT_EQ(sequence.Run(), Run_Outcome::Stopped);
    EXPECT_EQ(port.Count(Cmd_Reset_PIC), 0u);
    EXPECT_TRUE(ws.Messages.empty());
    // Detection and 100 blocks: the second run counted from zero again.
    EXPECT_EQ(view.Sent(), "101");
    EXPECT_EQ(view.Received(), "100");
    Expect_Buttons_Back();
}

TEST_F(Sequence_Rig, Stop_During_Detection_Does_Not_Stop_The_Run) {
    port.Responder = [](const std::string& request, std::size_t index) {
        return index == 0 ? std::vector<std::string>{} : Answer_All(request, index);
    };
    Hook = [this] {
        if (port.Frames.size() == 1) {
            data.Stop_Request = true;
        }
    };
    EXPECT_EQ(sequence.Run(), Run_Outcome::Written);
    EXPECT_EQ(port.Count(Cmd_Reset_PIC), 1u);
    EXPECT_EQ(port.Count(Cmd_Write_EEPROM), 512u);
}

TEST_F(Sequence_Rig, Reset_Refused_Ends_Like_A_Success_With_Its_Message) {
    port.Responder = [](const std::string& request, std::size_t index) {
        return request[0] == char(Cmd_Reset_PIC) ? std::vector<std::string>{}
                                                 : Answer_All(request, index);
    };
    EXPECT_EQ(sequence.Run(), Run_Outcome::Reset_Not_Acknowledged);
    EXPECT_EQ(port.Count(Cmd_Reset_PIC), 3u);
    Expect_Failure(Reset_Failed);
    Expect_Buttons_Back();
}

TEST_F(Sequence_Rig, Lost_Port_Ends_The_Run_Without_A_Reset) {
    Hook = [this] {
        if (port.Frames.size() == 40 && port.Open) {
            port.Lose_Port();
        }
    };
    EXPECT_EQ(sequence.Run(), Run_Outcome::Write_Failed);
    EXPECT_EQ(port.Count(Cmd_Reset_PIC), 0u);
    EXPECT_EQ(port.Frames.size(), 40u);
    Expect_Failure(Write_Failed);
    Expect_Buttons_Back();
}

TEST_F(Sequence_Rig, Second_Click_During_A_Run_Is_Ignored_And_Abort_Stops_It) {
    std::vector<Run_Outcome> nested;
    Hook = [&] {
        if (port.Frames.size() == 20 && nested.empty()) {
            const std::string sent = view.Sent();
            nested.push_back(sequence.Run());
            EXPECT_EQ(view.Sent(), sent);
            EXPECT_FALSE(view.Exit_Enabled);
        }
        if (port.Frames.size() == 30) {
            link.Request_Abort();
        }
    };
    EXPECT_EQ(sequence.Run(), Run_Outcome::Stopped);
    EXPECT_EQ(nested, std::vector<Run_Outcome>{Run_Outcome::Busy});
    EXPECT_EQ(port.Frames.size(), 30u);
    EXPECT_EQ(port.Count(Cmd_Reset_PIC), 0u);
    EXPECT_TRUE(ws.Messages.empty());
    Expect_Buttons_Back();

    Hook = nullptr;
    EXPECT_EQ(sequence.Run(), Run_Outcome::Written);
}
