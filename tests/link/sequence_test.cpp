#include "Link_Rig.h"
#include "Programming_Sequence.h"
#include "Test_Bitmap.h"
#include "mod_Compilatore.h"

namespace {

// Every slot holds a random picture, so that the image sent is no run of zeros.
class Sequence_Rig : public Link_Rig {
  protected:
    Sequence_Rig() {
        unsigned seed = 0;
        for (auto& table : data.Tables) {
            for (auto& slot : table.Slots) {
                const Model_Descriptor& model = *table.Model;
                slot.Name = model.Code + "_" + std::to_string(++seed) + ".bmp";
                slot.Path = folder / slot.Name;
                slot.Width = model.Width;
                slot.Height = model.Height;
                Write_Bmp(slot.Path, Test_Bitmap::Random(model.Width, model.Height, seed));
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

    Temp_Folder folder{"sequence"};
    Programming_Sequence sequence{data, link, ws, view};
};

Scripted_Serial_Control::Responder_Function Silent_On(std::uint8_t command) {
    return [command](const std::string& request, std::size_t index) {
        return std::uint8_t(request[0]) == command ? std::vector<std::string>{}
                                                   : Answer_All(request, index);
    };
}

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
    EXPECT_GT(std::count(expected.EEPROM_Image.begin(), expected.EEPROM_Image.end(), 0), 0x8000);
    EXPECT_LT(std::count(expected.EEPROM_Image.begin(), expected.EEPROM_Image.end(), 0), 0xA000);
    for (std::size_t k = 0; k < 512; ++k) {
        ASSERT_EQ(port.Frames[k + 1], Write_Block_Request(expected.EEPROM_Image, k));
    }
    EXPECT_EQ(view.Sent(), "514");
    EXPECT_EQ(view.Received(), "514");
    EXPECT_EQ(view.Log, "0xFE; 0x00; 0x01\r\n");
    EXPECT_TRUE(ws.Messages.empty());
    Expect_Buttons_Back();
}

// Each way a run fails: what was sent, whether a reset followed, and the one message.
TEST_F(Sequence_Rig, Every_Failure_Ends_The_Run_With_Its_Outcome) {
    const struct {
        const char* Name;
        Scripted_Serial_Control::Responder_Function Responder;
        std::size_t Lose_At; // frames sent when the port goes; 0 for never
        bool Missing_File;
        Run_Outcome Outcome;
        std::size_t Frames, Resets;
        std::string Failure; // empty for the compiler's own message
    } cases[] = {
        {"missing file", Answer_All, 0, true, Run_Outcome::Compile_Failed, 0, 0, ""},
        {"absent unit", nullptr, 0, false, Run_Outcome::Module_Not_Found, 3, 0, Not_Found},
        {"block refused", Silent_On(Cmd_Write_EEPROM), 0, false, Run_Outcome::Write_Failed, 5, 1,
         Write_Failed},
        {"port lost", Answer_All, 40, false, Run_Outcome::Write_Failed, 40, 0, Write_Failed},
        {"reset refused", Silent_On(Cmd_Reset_PIC), 0, false, Run_Outcome::Reset_Not_Acknowledged,
         516, 3, Reset_Failed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        port.Frames.clear();
        port.Open = true;
        ws.Messages.clear();
        view.Exit_History.clear();
        port.Responder = c.Responder;
        const std::string kept = data.Tables[1].Slots[2].Path;
        if (c.Missing_File) {
            data.Tables[1].Slots[2].Path = folder / "missing.bmp";
        }
        std::size_t messages_at_reset = 0;
        Hook = [&] {
            if (c.Lose_At != 0 && port.Frames.size() == c.Lose_At && port.Open) {
                port.Lose_Port();
            }
            if (!port.Frames.empty() && port.Frames.back() == Reset_PIC_Request() &&
                messages_at_reset == 0) {
                messages_at_reset = ws.Messages.size();
            }
        };
        EXPECT_EQ(sequence.Run(), c.Outcome);
        data.Tables[1].Slots[2].Path = kept;
        EXPECT_EQ(port.Frames.size(), c.Frames);
        EXPECT_EQ(port.Count(Cmd_Reset_PIC), c.Resets);
        if (c.Failure.empty()) {
            ASSERT_EQ(ws.Messages.size(), 1u);
            EXPECT_EQ(ws.Messages[0].Title, "ERROR");
            EXPECT_EQ(view.Sent(), "0");
        } else {
            Expect_Failure(c.Failure);
        }
        if (c.Resets == 1) {
            EXPECT_EQ(messages_at_reset, 1u) << "the write's failure is shown before the reset";
        }
        Expect_Buttons_Back();
    }
}

TEST_F(Sequence_Rig, Stop_Ends_Only_The_Write_And_A_Second_Click_Is_Ignored) {
    // A Stop pressed during detection is forgotten when the write begins.
    port.Responder = [](const std::string& request, std::size_t index) {
        return index == 0 ? std::vector<std::string>{} : Answer_All(request, index);
    };
    Hook = [this] {
        if (port.Frames.size() == 1) {
            data.Stop_Request = true;
        }
    };
    EXPECT_EQ(sequence.Run(), Run_Outcome::Written);
    EXPECT_EQ(port.Count(Cmd_Write_EEPROM), 512u);

    port.Frames.clear();
    port.Responder = Answer_All;
    Hook = [this] {
        if (port.Frames.size() == 101) {
            data.Stop_Request = true;
        }
    };
    EXPECT_EQ(sequence.Run(), Run_Outcome::Stopped);
    EXPECT_EQ(port.Count(Cmd_Reset_PIC), 0u);
    EXPECT_EQ(view.Sent(), "101");
    EXPECT_EQ(view.Received(), "100");

    port.Frames.clear();
    view.Exit_History.clear();
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
