#include "Link_Rig.h"
#include "Run_Status.h"
#include "Test_Bitmap.h"
#include "Unit_Session.h"
#include "mod_Compilatore.h"

namespace {

// Every slot holds a random picture, so that the image sent is no run of zeros.
class Session_Rig : public Link_Rig, public ::testing::Test {
  protected:
    Session_Rig() {
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
        view.Sent = view.Received = "7";
        session.Add_Listener(view);
    }

    Temp_Folder folder{"sequence"};
    Unit_Session session{data, port, ws, clock};
    // The window's run: the image compiled from the slots at its start.
    struct {
        Unit_Session* Session;
        Run_Outcome Run() const { return Session->Compile_And_Run().Outcome; }
    } sequence{&session};
};

} // namespace

// A click during the run starts no second one.
TEST_F(Session_Rig, Run_Compiles_Finds_Writes_And_Resets) {
    std::vector<Run_Outcome> nested;
    Hook = [&] {
        EXPECT_FALSE(view.OFF_Enabled);
        if (port.Frames.size() == 20 && nested.empty()) {
            nested.push_back(sequence.Run());
        }
    };
    EXPECT_EQ(sequence.Run(), Run_Outcome::Written);
    EXPECT_EQ(nested, std::vector<Run_Outcome>{Run_Outcome::Busy});
    ASSERT_EQ(port.Frames.size(), 514u);

    Program_Data expected{Vantrel_Program()};
    expected.Tables = data.Tables;
    ASSERT_TRUE(Compile_Images(expected, ws));
    for (std::size_t k = 0; k < 512; ++k) {
        ASSERT_EQ(port.Frames[k + 1], Write_Block_Request(expected.EEPROM_Image, k));
    }
    EXPECT_EQ(view.Sent + view.Received, "514514");
    EXPECT_EQ(view.Log, "0xFE; 0x00; 0x01\r\n");
    EXPECT_EQ(Shown(), "");
}

// Each way a run ends: what was sent, whether a reset followed, and the one message. A Stop
// pressed during detection is forgotten when the write begins; one pressed during the write ends
// the run without a reset.
TEST_F(Session_Rig, Every_Ending_Of_A_Run_Has_Its_Outcome) {
    enum class Act { None, Remove_File, Lose_Port, Stop, Abort };
    const struct {
        const char* Name;
        Scripted_Serial_Control::Responder_Function Responder;
        Act Action;
        std::size_t At; // frames sent when the action comes
        Run_Outcome Outcome;
        std::size_t Frames, Resets;
        std::string Failure; // how the one message begins
    } cases[] = {
        {"missing file", Answer_All, Act::Remove_File, 0, Run_Outcome::Compile_Failed, 0, 0,
         "ERROR (critical): "},
        {"absent unit", nullptr, Act::None, 0, Run_Outcome::Module_Not_Found, 3, 0, Not_Found},
        {"block refused", Silent_On(Cmd_Write_EEPROM), Act::None, 0, Run_Outcome::Write_Failed, 5,
         1, Write_Failed},
        {"port lost", Answer_All, Act::Lose_Port, 40, Run_Outcome::Write_Failed, 40, 0,
         Write_Failed},
        {"reset refused", Silent_On(Cmd_Reset_PIC), Act::None, 0,
         Run_Outcome::Reset_Not_Acknowledged, 516, 3, Reset_Failed},
        {"Stop during detection", Silent_On(-1), Act::Stop, 1, Run_Outcome::Written, 515, 1, ""},
        {"Stop during the write", Answer_All, Act::Stop, 101, Run_Outcome::Stopped, 101, 0, ""},
        {"abort", Answer_All, Act::Abort, 30, Run_Outcome::Stopped, 30, 0, ""},
    };
    const std::string picture = data.Tables[1].Slots[2].Path;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        port.Frames.clear();
        port.Is_Open = true;
        ws.Messages.clear();
        view.Exit_History.clear();
        port.Responder = c.Responder;
        data.Tables[1].Slots[2].Path = c.Action == Act::Remove_File ? folder / "none.bmp" : picture;
        std::size_t messages_at_reset = 0;
        Hook = [&] {
            if (port.Frames.size() == c.At && port.Is_Open) {
                if (c.Action == Act::Lose_Port) {
                    port.Lose_Port();
                }
                data.Stop_Request |= c.Action == Act::Stop;
                if (c.Action == Act::Abort) {
                    session.Link().Request_Abort();
                }
            }
            if (port.Count(Cmd_Reset_PIC) == 1 && messages_at_reset == 0) {
                messages_at_reset = ws.Messages.size();
            }
        };
        EXPECT_EQ(sequence.Run(), c.Outcome);
        EXPECT_EQ(port.Frames.size(), c.Frames);
        EXPECT_EQ(port.Count(Cmd_Reset_PIC), c.Resets);
        EXPECT_EQ(ws.Messages.size(), c.Failure.empty() ? 0u : 1u);
        EXPECT_EQ(Shown().substr(0, c.Failure.size()), c.Failure);
        if (c.Outcome == Run_Outcome::Write_Failed && c.Resets == 1) {
            EXPECT_EQ(messages_at_reset, 1u) << "the write's failure is shown before the reset";
        }
        EXPECT_EQ(view.Exit_History, (std::vector<bool>{false, true}));
        EXPECT_TRUE(view.OFF_Enabled);
    }
    Hook = nullptr;
    EXPECT_EQ(sequence.Run(), Run_Outcome::Written) << "after an abort";
}

// Each run's report counts that run alone, and the status line says where a stopped run ended.
TEST_F(Session_Rig, Each_Report_Counts_Its_Own_Run) {
    port.Responder = Silent_On(-1);
    const Run_Report first = session.Compile_And_Run();
    EXPECT_EQ(first.Retries, 1);
    port.Responder = Answer_All;
    const Run_Report second = session.Compile_And_Run();
    EXPECT_EQ(second.Outcome, Run_Outcome::Written);
    EXPECT_EQ(second.Blocks_Written, 512);
    EXPECT_EQ(second.Retries, 0);

    Run_Report stopped = second;
    stopped.Outcome = Run_Outcome::Stopped;
    stopped.Device = "/dev/ttyUSB0";
    EXPECT_EQ(Run_Status_Text(stopped), "Immagine scritta su /dev/ttyUSB0, reset interrotto.");
    stopped.Blocks_Written = 511;
    EXPECT_EQ(Run_Status_Text(stopped), "Scrittura su /dev/ttyUSB0 fermata al blocco 512 di 512.");
}
