#include "Configuration_Load.h"

#include "Bitmap_File.h"

#include "mod_Funzioni_Varie.h"

#include <filesystem>

namespace {

// The window system of the program, except that the messages of the checks are kept for the
// one summary after the load instead of one box per slot.
class Collecting_Window_System : public Window_System {
  public:
    explicit Collecting_Window_System(Window_System& real) : real_(real) {}

    std::vector<std::string> Messages;

    void Message_Box(const std::string& text, const std::string&, Message_Icon) override {
        Messages.push_back(Without_Carriage_Returns(text));
    }
    void Yield(std::uint32_t max_wait_ms) override { real_.Yield(max_wait_ms); }
    std::string Program_Folder() override { return real_.Program_Folder(); }
    bool File_Exists(const std::string& path) override { return real_.File_Exists(path); }
    void Busy_Pointer(bool busy) override { real_.Busy_Pointer(busy); }
    void End_Program() override { real_.End_Program(); }

  private:
    Window_System& real_;
};

std::string Joined(const std::vector<std::string>& messages) {
    std::string text;
    for (const std::string& message : messages) {
        text += (text.empty() ? "" : " ") + message;
    }
    return text;
}

} // namespace

std::vector<Slot_Failure> Apply_Configuration(const Configuration& configuration,
                                              Program_Data& data, Picture_Boxes& boxes,
                                              Window_System& ws) {
    std::vector<Slot_Failure> failures;
    Collecting_Window_System collecting(ws);
    for (int m = 0; m < int(data.Tables.size()); ++m) {
        Image_Table& table = data.Tables[std::size_t(m)];
        const Model_Descriptor& model = *table.Model;
        const std::string default_path = data.Defaults_Folder + "/" + model.Default_File;
        for (int k = 0; k < Slots_Per_Table; ++k) {
            const auto& file = configuration.Slots.at(std::size_t(m))[std::size_t(k)];
            const Bitmap_Picture read =
                Read_Bitmap_Picture(default_path, model.Width, model.Height);
            if (!read) {
                failures.push_back(
                    {m, k, default_path,
                     "File " + model.Default_File + " non valido. " + read.File.Reason});
                continue;
            }
            boxes.Show_Picture(m, k, read.Picture);
            table.Slots[std::size_t(k)] = Image_Slot{default_path, model.Default_File,
                                                     double(model.Height), double(model.Width)};
            if (!file) {
                continue;
            }
            collecting.Messages.clear();
            if (!ws.File_Exists(*file)) {
                failures.push_back({m, k, *file, "File non trovato."});
            } else if (!Bitmap_Name_Passes(*file, collecting) ||
                       !Accept_Background(data, m, k, *file, boxes, collecting)) {
                failures.push_back({m, k, *file, Joined(collecting.Messages)});
            } else {
                continue;
            }
            // The slot keeps what the configuration says it should hold, so that a save writes it
            // back and a compile refuses it, rather than the default going out in its place.
            table.Slots[std::size_t(k)] =
                Image_Slot{*file, std::filesystem::path(*file).filename().string(),
                           double(model.Height), double(model.Width)};
        }
    }
    if (data.Program.Has_Glyphs) {
        data.Font_5x8_Columns = configuration.Font_5x8;
        data.Font_10x16_Columns = configuration.Font_10x16;
    }
    return failures;
}
