// Port texts as the serial window and vantrel-cli --port take them.
#include "Port_Choice.h"
#include "Temp_Folder.h"

#include <gtest/gtest.h>

namespace {

Port_Entry Listed(int number, const std::string& device, const std::string& serial = "") {
    Port_Entry port;
    port.Number = number;
    port.Device = device;
    port.Serial_Number = serial;
    return port;
}

} // namespace

TEST(Port_Text, Numbers_Paths_Names_And_Serial_Numbers_Lead_To_One_Port_Or_Say_Why_Not) {
    Temp_Folder folder("port-text");
    std::filesystem::create_symlink("/dev/null", folder / "usb-Maker_Adapter_A1-if00");
    std::filesystem::create_symlink("/dev/full", folder / "unlisted");
    const std::vector<Port_Entry> listed{Listed(1, "/dev/null", "A1"), Listed(2, "/dev/zero"),
                                         Listed(3, "/dev/ttyFAKE3", "DUP"),
                                         Listed(4, "/dev/ttyFAKE4", "DUP")};
    using enum Port_Choice_Status;
    const struct {
        std::string Text;
        Port_Choice_Status Status;
        std::string Device;
        int Number;
    } cases[] = {
        {"1", Found, "/dev/null", 1},
        {"COM2", Found, "/dev/zero", 2},
        {"com  2 ", Found, "/dev/zero", 2},
        {" 2 ", Found, "/dev/zero", 2},
        {"5", Gone, "", 0},
        {"COM 32767", Gone, "", 0},
        {"COM 32768", Not_A_Port, "", 0},
        {"65537", Not_A_Port, "", 0},
        {"0", Not_A_Port, "", 0},
        {"COM -1", Not_A_Port, "", 0},
        {"COM 3 4", Not_A_Port, "", 0},
        {"COMx", Not_A_Port, "", 0},
        {"COM", Not_A_Port, "", 0},
        {"", Not_A_Port, "", 0},
        {"serial=A1", Found, "/dev/null", 1},
        {"serial=DUP", Ambiguous, "", 0},
        {"serial=ZZ", Gone, "", 0},
        {"serial=", Not_A_Port, "", 0},
        {"zero", Found, "/dev/zero", 2},
        {"./zero", Gone, "", 0},
        {"/dev/zero", Found, "/dev/zero", 2},
        {folder / "usb-Maker_Adapter_A1-if00", Found, "/dev/null", 1},
        {folder / "unlisted", Found, "/dev/full", 0},
        {"no-such-tty", Gone, "", 0},
        {"/dev/no-such-tty", Gone, "", 0},
    };
    for (const auto& c : cases) {
        const Port_Choice choice = Choose_Port(c.Text, listed);
        EXPECT_EQ(choice.Status, c.Status) << c.Text;
        EXPECT_EQ(choice.Port.Device, c.Device) << c.Text;
        EXPECT_EQ(choice.Port.Number, c.Number) << c.Text;
        EXPECT_EQ(choice.Reason.empty(), c.Status == Found) << c.Text;
    }

    // The unit is still there only while the same one is behind its device.
    Port_Entry simulated = Listed(2, "/dev/pts/9");
    simulated.Simulated_Pid = 100;
    Port_Entry successor = simulated;
    successor.Simulated_Pid = 101;
    EXPECT_TRUE(Still_There(simulated, {listed[0], simulated}));
    EXPECT_FALSE(Still_There(simulated, {listed[0], successor}));
    EXPECT_FALSE(Still_There(listed[0], {Listed(1, "/dev/null", "B2")}));
    EXPECT_TRUE(Still_There(Listed(0, "/dev/full"), {}));
    // A rescan finds it under its new number, never its successor or another device.
    Port_Entry renumbered = simulated;
    renumbered.Number = 1;
    EXPECT_EQ(Place_Of(simulated, {listed[1], listed[0], renumbered}),
              std::optional<std::size_t>(2));
    EXPECT_EQ(Place_Of(simulated, {successor, listed[1]}), std::nullopt);
}
