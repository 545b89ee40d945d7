#include "Slot_Picture.h"

#include "Bitmap_File.h"

#include <optional>

namespace {

Lit_Picture Blank(const Model_Descriptor& model) {
    return {"", model.Width, model.Height,
            std::vector<std::uint8_t>(std::size_t(model.Width) * model.Height)};
}

} // namespace

Image_Slot Default_Slot(const std::string& defaults_folder, const Model_Descriptor& model) {
    return {defaults_folder + "/" + model.Default_File, model.Default_File, double(model.Height),
            double(model.Width)};
}

Slot_Picture Read_Slot_Picture(const Image_Slot& slot, const Model_Descriptor& model,
                               const std::string& defaults_folder) {
    const Image_Slot fallback = Default_Slot(defaults_folder, model);
    const std::string shown_name =
        slot.Path == fallback.Path ? std::string(Default_Background_Text) : slot.Path;
    std::string reason;
    if (auto picture = Read_Bitmap_Picture(slot.Path, model.Width, model.Height, reason)) {
        return {std::move(*picture), false, shown_name + "\n" + Picture_Box_Hint};
    }
    const bool missing =
        Read_Bitmap_Header(slot.Path, model.Width, model.Height).Fault == Bitmap_Fault::Missing;
    const std::string problem =
        missing ? "File non trovato: " + slot.Path : shown_name + "\n" + reason;
    std::string unused;
    std::optional<Lit_Picture> standing_in =
        Read_Bitmap_Picture(fallback.Path, model.Width, model.Height, unused);
    return {standing_in ? std::move(*standing_in) : Blank(model), true,
            problem + "\n" + Picture_Box_Hint};
}
