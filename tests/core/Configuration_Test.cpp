#include "Configuration_Load.h"
#include "Configuration_Messages.h"
#include "Fake_Window_System.h"
#include "Recent_List.h"
#include "Start_Up.h"
#include "Test_Bitmap.h"
#include "mod_Compilatore.h"
#include "mod_Funzioni_Varie.h"

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;
using Kind = Configuration_Error::Kind;

// A program's data after the start-up fill from the delivered defaults.
struct Filled {
    explicit Filled(const Program_Description& program = Vantrel_Program()) : data(program) {
        ws.Folder = VANTREL_DATA_DIR;
        EXPECT_TRUE(Start_Up_Fill(data, ws, boxes));
    }
    Program_Data data;
    Fake_Window_System ws;
    No_Picture_Boxes boxes;
};

TEST(Configuration, Round_Trip_Keeps_Slots_Glyphs_And_Image_After_The_Folder_Moved) {
    Temp_Folder root("configuration");
    const fs::path site = root.Path() / "site";
    fs::create_directories(site / "plant");
    fs::create_directories(site / "common");
    Write_Bmp((site / "plant/logo.bmp").string(), Test_Bitmap::Random(128, 64, 1));
    Write_Bmp((site / "common/allarme.bmp").string(), Test_Bitmap::Random(240, 128, 2));

    Filled saved;
    ASSERT_TRUE(Accept_Background(saved.data, 0, 0, (site / "plant/logo.bmp").string(), saved.boxes,
                                  saved.ws));
    ASSERT_TRUE(Accept_Background(saved.data, 3, 3, (site / "common/allarme.bmp").string(),
                                  saved.boxes, saved.ws));
    saved.data.Font_5x8_Columns = {0x1F, 0, 0x80, 0, 1};
    saved.data.Font_10x16_Columns[9] = 0x8001;
    ASSERT_FALSE(Write_Configuration_File((site / "plant/plant.vantrel").string(),
                                          Configuration_Of(saved.data))
                     .Failed());
    const std::string text = Read_File((site / "plant/plant.vantrel").string());
    EXPECT_NE(text.find("\"64128A\": [\"logo.bmp\", null, null, null]"), std::string::npos) << text;
    EXPECT_NE(text.find("\"128240A\": [null, null, null, \"../common/allarme.bmp\"]"),
              std::string::npos);
    EXPECT_NE(text.find("\"font5x8\": [31, 0, 128, 0, 1]"), std::string::npos);
    ASSERT_TRUE(Compile_Images(saved.data, saved.ws));

    const fs::path moved = root.Path() / "elsewhere";
    fs::rename(site, moved);
    Configuration read;
    Configuration_Error read_error;
    ASSERT_TRUE(
        Read_Configuration_File((moved / "plant/plant.vantrel").string(), read, read_error));
    Filled loaded;
    EXPECT_TRUE(Apply_Configuration(read, loaded.data, loaded.boxes, loaded.ws).empty());
    EXPECT_EQ(loaded.data.Tables[0].Slots[0].Path, (moved / "plant" / "logo.bmp").string());
    EXPECT_EQ(loaded.data.Tables[3].Slots[3].Path, (moved / "common" / "allarme.bmp").string());
    EXPECT_EQ(loaded.data.Tables[3].Slots[3].Name, "allarme.bmp");
    EXPECT_EQ(loaded.data.Tables[1].Slots[2].Name, "Sfondo_Bianco_128x64.bmp");
    ASSERT_TRUE(Compile_Images(loaded.data, loaded.ws));
    EXPECT_EQ(loaded.data.EEPROM_Image, saved.data.EEPROM_Image);
    EXPECT_TRUE(loaded.ws.Messages.empty());
}

// A slot whose file fails keeps the file, so that a save writes the reference back and a compile
// refuses it instead of sending the default in its place.
TEST(Configuration, A_Failing_Slot_Keeps_Its_File_But_Never_Compiles_And_The_Rest_Is_Loaded) {
    Temp_Folder folder("partial");
    Write_Bmp(folder / "good.bmp", Test_Bitmap::Random(240, 64, 3));
    Write_Bmp(folder / "wide.bmp", Test_Bitmap(240, 64, 1));
    Write_File(folder / "notes.txt", std::string(100, 'x'));
    Write_File(folder / "p.vantrel",
               std::string(R"({"format": "vantrel-configuration", "version": 1,
                  "layout": "graphic", "future": {"x": 1},
                  "slots": {"64128A": ["wide.bmp", "missing.bmp", null, "notes.txt"],
                            "64240B": [null, "good.bmp", null, null], "99999Z": [1]},
                  "font5x8": [1, 2, 3, 4, 5]})"));
    Configuration read;
    Configuration_Error error;
    ASSERT_TRUE(Read_Configuration_File(folder / "p.vantrel", read, error));
    Filled f;
    const auto failures = Apply_Configuration(read, f.data, f.boxes, f.ws);
    EXPECT_TRUE(f.ws.Messages.empty());
    ASSERT_EQ(failures.size(), 3u);
    EXPECT_EQ(failures[0].Slot, 0);
    EXPECT_EQ(failures[0].Reason,
              std::string(Invalid_Image_Message) + "\n" +
                  "Il file è una bitmap 240x64 a 1 bit; serve una bitmap 128x64 a 1 bit.");
    EXPECT_EQ(failures[1].Reason, "File non trovato.");
    EXPECT_EQ(failures[2].Reason, Invalid_Extension_Message);
    const Configuration kept = Configuration_Of(f.data);
    EXPECT_EQ(kept.Slots[0], (std::array<std::optional<std::string>, 4>{
                                 folder / "wide.bmp", folder / "missing.bmp", std::nullopt,
                                 folder / "notes.txt"}));
    EXPECT_EQ(f.data.Tables[0].Slots[1].Name, "missing.bmp");
    EXPECT_FALSE(Compile_Images(f.data, f.ws));
    ASSERT_EQ(f.ws.Messages.size(), 1u);
    EXPECT_EQ(f.ws.Messages[0].Text,
              "File wide.bmp non valido.\r\nImpossibile continuare!!\r\n64128A, Immagine numero 1");
    f.ws.Messages.clear();
    EXPECT_EQ(f.data.Tables[2].Slots[1].Path, folder / "good.bmp");
    EXPECT_TRUE(f.ws.Messages.empty());
    EXPECT_EQ(f.data.Font_5x8_Columns, (std::array<std::uint8_t, 5>{1, 2, 3, 4, 5}));
    const std::string text = Slot_Failures_Text(f.data.Program, "p.vantrel", failures);
    EXPECT_NE(text.find("64128A, Immagine numero 2 (" + (folder / "missing.bmp") +
                        "): File non trovato."),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("64128A, Immagine numero 4"), std::string::npos);
}

TEST(Configuration, Malformed_Or_Refused_Documents_Say_Why_And_Change_Nothing) {
    const std::string head = R"({"format": "vantrel-configuration", "version": 1, )";
    const struct {
        std::string text;
        Kind kind;
        std::string where; // "line:column" for Malformed, the pointer for Invalid_Content
    } cases[] = {
        {"{\n  \"format\": \"vantrel-configuration\",\n  \"version\": 1,,\n}", Kind::Malformed,
         "3:16"},
        {"", Kind::Malformed, "1:1"},
        {"{\"format\":\n  1E400}", Kind::Malformed, "2:3"},
        // Nesting as deep as the size bound allows, unfinished and finished.
        {std::string(1048576, '['), Kind::Malformed, "1:1048577"},
        {std::string(524288, '[') + std::string(524288, ']'), Kind::Not_A_Configuration, ""},
        {"[1, 2]", Kind::Not_A_Configuration, ""},
        {R"({"format": "other", "version": 1, "layout": "graphic"})", Kind::Not_A_Configuration,
         ""},
        {head + R"("layout": "graphic", "version": 2})", Kind::Newer_Version, ""},
        {R"({"format": "vantrel-configuration", "version": "1", "layout": "oled"})",
         Kind::Invalid_Content, "/version"},
        {head + R"("layout": "lcd"})", Kind::Invalid_Content, "/layout"},
        {head + R"("layout": "graphic", "slots": {"64128E": [null, null, null]}})",
         Kind::Invalid_Content, "/slots/64128E"},
        {head + R"("layout": "graphic", "slots": {"64128E": [null, 5, null, null]}})",
         Kind::Invalid_Content, "/slots/64128E/1"},
        {head + R"("layout": "oled", "slots": {"RGS24128064": ["", null, null, null]}})",
         Kind::Invalid_Content, "/slots/RGS24128064/0"},
        {head + R"("layout": "graphic", "font5x8": [0, 0, 256, 0, 0]})", Kind::Invalid_Content,
         "/font5x8/2"},
        {head + R"("layout": "graphic", "font10x16": [0, 0, 0, 0, 0, 0, 0, 0, 0, 1.5]})",
         Kind::Invalid_Content, "/font10x16/9"},
        {head + R"("layout": "graphic", "font10x16": [0, -1, 0, 0, 0, 0, 0, 0, 0, 0]})",
         Kind::Invalid_Content, "/font10x16/1"},
    };
    for (const auto& c : cases) {
        Configuration kept;
        kept.Font_5x8[0] = 7;
        Configuration_Error error;
        EXPECT_FALSE(Parse_Configuration(c.text, "/tmp", kept, error)) << c.text;
        EXPECT_EQ(error.Problem, c.kind) << c.text;
        EXPECT_EQ(kept.Program, nullptr);
        EXPECT_EQ(kept.Font_5x8[0], 7);
        if (c.kind == Kind::Malformed) {
            EXPECT_EQ(std::to_string(error.Line) + ":" + std::to_string(error.Column), c.where);
            EXPECT_NE(English_Text(error, "f").find("line " + std::to_string(error.Line)),
                      std::string::npos);
            EXPECT_NE(Italian_Text(error, "f").find("riga " + std::to_string(error.Line)),
                      std::string::npos);
        } else if (c.kind == Kind::Invalid_Content) {
            EXPECT_EQ(error.Where, c.where) << c.text;
        }
    }

    Configuration oled;
    Configuration_Error error;
    ASSERT_TRUE(Parse_Configuration(head + R"("layout": "oled"})", "/tmp", oled, error));
    EXPECT_EQ(oled.Program, &Quorrin_Program());
    EXPECT_TRUE(Check_Layout(oled, Quorrin_Program(), error));
    EXPECT_FALSE(Check_Layout(oled, Vantrel_Program(), error));
    EXPECT_EQ(Italian_Text(error, "a.quorrin"),
              "Impossibile aprire la configurazione a.quorrin.\r\n"
              "È una configurazione per il display OLED: va aperta con Quorrin.");
}

// A file of the size bound is read, one a byte larger is refused unread; a refusal quotes at
// most 80 characters of the document, whole characters.
TEST(Configuration, Size_Bound_And_Quotes_Keep_Refusals_Short) {
    Temp_Folder folder("bound");
    const std::string oled =
        R"({"format": "vantrel-configuration", "version": 1, "layout": "oled"})";
    const std::string a79(79, 'a');
    std::string e79;
    for (int i = 0; i < 79; ++i) {
        e79 += "\u00e9";
    }
    const struct {
        std::string text;
        std::string said; // in the English refusal; empty when the file is taken
        std::string italian;
    } cases[] = {
        {oled + std::string(1048576 - oled.size(), ' '), "", ""},
        {oled + std::string(1048577 - oled.size(), ' '),
         "the configuration f is 1048577 bytes; at most 1048576 are read",
         "Il file è di 1048577 byte; se ne leggono al massimo 1048576."},
        {"{\"format\": \"" + a79, "last read: '\"" + a79 + "'", ""},
        {"{\"format\": \"" + a79 + "b", "last read: '\"" + a79 + "...'", ""},
        {"{\"format\": \"" + e79 + "\u00e9\u00e9", "last read: '\"" + e79 + "...'", ""},
        {"{\"" + a79 + "bc", "last read: '\"" + a79 + "...'; expected string literal", ""},
        {"[1" + std::string(400, '0') + "]", "parsing '1" + std::string(79, '0') + "...'", ""},
    };
    for (const auto& c : cases) {
        Write_File(folder / "f", c.text);
        Configuration read;
        Configuration_Error error;
        EXPECT_EQ(Read_Configuration_File(folder / "f", read, error), c.said.empty())
            << c.text.substr(0, 100);
        if (!c.said.empty()) {
            const std::string english = English_Text(error, "f");
            EXPECT_NE(english.find(c.said), std::string::npos) << english;
            EXPECT_LT(english.size(), 400u) << english;
            EXPECT_NE(Italian_Text(error, "f").find(c.italian), std::string::npos)
                << Italian_Text(error, "f");
        }
    }
}

} // namespace

// A kept list of recent configurations that something else wrote or damaged gives its usable
// entries alone: absolute paths of printable bytes, once each, at most the limit.
TEST(Recent_List, Only_Absolute_Printable_Paths_Are_Kept_Once_Up_To_The_Limit) {
    const auto at = [](const std::string& name) { return (fs::current_path() / name).string(); };
    const std::string a = at("a.vantrel"), b = at("b.vantrel"), c = at("c.vantrel");
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {"", {}},
        {a + "\n" + b + "\n", {a, b}},
        {a + "\nrelative.vantrel\n\n" + a + "\n" + at("bad\x01.vantrel") + "\n" + c, {a, c}},
        {std::string("\0\xFF\x89PNG\r", 6) + "\n" + b, {b}},
        {at(std::string(5000, 'x')) + "\n" + c, {c}},
        {a + "\n" + b + "\n" + c + "\n" + at("d") + "\n" + at("e"), {a, b, c, at("d")}},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(Recent_Entries(text, 4), expected) << text;
    }
}
