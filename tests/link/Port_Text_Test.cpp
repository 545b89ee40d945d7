// Port texts as the serial window and vantrel-cli --port take them, and line settings texts.
#include "Line_Settings.h"
#include "Port_Choice.h"
#include "Port_Permission.h"
#include "Temp_Folder.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <grp.h>
#include <unistd.h>
#endif

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
        {"5", Gone, "", 0},
        {"COM 32767", Gone, "", 0},
        {"COM 32768", Not_A_Port, "", 0},
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

// Line settings texts: each field at the edges of what it takes, and the reason a refused one
// gives. What is taken reads back from its own text.
TEST(Line_Settings, Four_Fields_At_Their_Edges_Or_The_Field_That_Is_Wrong) {
    const std::string fields = "expected baud,parity,data bits,stop bits";
    const std::string parity = "parity must be n, e, o, m or s";
    const std::string data = "data bits must be 5 to 8";
    const std::string stop = "stop bits must be 1 or 2";
    using enum Parity;
    const struct {
        std::string Text;
        Line_Settings Settings; // when taken
        std::string Refusal;    // else
    } cases[] = {
        {"115200,n,8,1", {115200, None, 8, 1}, ""},
        {" 9600 , E ,7, 2 ", {9600, Even, 7, 2}, ""},
        {"1,o,5,1", {1, Odd, 5, 1}, ""},
        {"999999999,M,8,1", {999999999, Mark, 8, 1}, ""},
        {"000300,s,6,2", {300, Space, 6, 2}, ""},
        {"", {}, fields},
        {"115200,n,8", {}, fields},
        {"115200,n,8,1,", {}, fields},
        {",115200,n,8,1", {}, fields},
        {"0,n,8,1", {}, fields},
        {"1000000000,n,8,1", {}, fields},
        {"-9600,n,8,1", {}, fields},
        {"fast,n,8,1", {}, fields},
        {"115200,x,8,1", {}, parity},
        {"115200,,8,1", {}, parity},
        {"115200,none,8,1", {}, parity},
        {"115200,n,4,1", {}, data},
        {"115200,n,9,1", {}, data},
        {"115200,n,+8,1", {}, data},
        {"115200,n,8,0", {}, stop},
        {"115200,n,8,3", {}, stop},
        {"115200,n,8,1.5", {}, stop},
    };
    for (const auto& c : cases) {
        const Line_Settings_Parse parsed = Parse_Line_Settings(c.Text);
        if (c.Refusal.empty()) {
            ASSERT_TRUE(parsed.Settings) << c.Text << ": " << parsed.Reason;
            EXPECT_EQ(*parsed.Settings, c.Settings) << c.Text;
            EXPECT_EQ(Parse_Line_Settings(Settings_Text(*parsed.Settings)).Settings,
                      parsed.Settings)
                << c.Text;
        } else {
            EXPECT_FALSE(parsed.Settings) << c.Text;
            EXPECT_EQ(parsed.Reason, "settings \"" + c.Text + "\": " + c.Refusal);
        }
    }
    EXPECT_EQ(Settings_Text(Link_Line_Settings()), "115200,n,8,1");
}

// A port the user may not open says so, naming the group that owns it and the new login that
// joining it takes; without a known group it says whom to ask.
TEST(Port_Permission, A_Refusal_Names_The_Group_And_The_New_Login) {
    EXPECT_EQ(English_Permission_Text("/dev/ttyUSB0", "dialout"),
              "permission denied on /dev/ttyUSB0: the user may not use this device; it belongs to "
              "the group 'dialout': add the user to it (sudo adduser $USER dialout), then log out "
              "and in again for it to take effect");
    EXPECT_EQ(Italian_Permission_Text("/dev/ttyUSB0", "dialout"),
              "Permesso negato su /dev/ttyUSB0: l'utente non può usare questo dispositivo.\r\n"
              "Il dispositivo appartiene al gruppo dialout: aggiungere l'utente al gruppo (sudo "
              "adduser $USER dialout), poi uscire e rientrare nella sessione perché valga.");
    EXPECT_EQ(English_Permission_Text("/dev/ttyS0", ""),
              "permission denied on /dev/ttyS0: the user may not use this device; ask the "
              "administrator for permission to use it, then log out and in again for it to take "
              "effect");
    EXPECT_EQ(Italian_Permission_Text("/dev/ttyS0", ""),
              "Permesso negato su /dev/ttyS0: l'utente non può usare questo dispositivo.\r\n"
              "Chiedere all'amministratore il permesso di usarlo, poi uscire e rientrare nella "
              "sessione perché valga.");
#ifndef _WIN32
    // A device's group and access come from its permissions; a device not there has neither.
    Temp_Folder folder("permission");
    Write_File(folder / "tty", std::string());
    std::filesystem::permissions(folder / "tty", std::filesystem::perms(0660));
    EXPECT_EQ(Device_Access(folder / "tty"), Port_Access::Ok);
    EXPECT_EQ(Device_Group(folder / "tty"), ::getgrgid(::getegid())->gr_name);
    std::filesystem::permissions(folder / "tty", std::filesystem::perms(0640));
    EXPECT_EQ(Device_Group(folder / "tty"), "") << "joining a group that may not write is no help";
    EXPECT_EQ(Device_Access(folder / "gone"), Port_Access::Unknown);
    EXPECT_EQ(Device_Group(folder / "gone"), "");
#endif
}
