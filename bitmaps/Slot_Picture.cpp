#include "Slot_Picture.h"

#include "Bitmap_File.h"

Image_Slot Default_Slot(const std::string& defaults_folder, const Model_Descriptor& model) {
    return {defaults_folder + "/" + model.Default_File, model.Default_File, double(model.Height),
            double(model.Width)};
}

Slot_Picture Read_Slot_Picture(const Image_Slot& slot, const Model_Descriptor& model,
                               const std::string& defaults_folder) {
    const Image_Slot fallback = Default_Slot(defaults_folder, model);
    const std::string shown_name =
        slot.Path == fallback.Path ? std::string(Default_Background_Text) : slot.Path;
    Bitmap_Picture read = Read_Bitmap_Picture(slot.Path, model.Width, model.Height);
    if (read) {
        return {std::move(read.Picture), false, shown_name + "\n" + Picture_Box_Hint};
    }
    const bool missing = read.File.Fault == Bitmap_Fault::Missing;
    const std::string problem =
        missing ? "File non trovato: " + slot.Path : shown_name + "\n" + read.File.Reason;
    Bitmap_Picture standing_in = Read_Bitmap_Picture(fallback.Path, model.Width, model.Height);
    return {standing_in ? std::move(standing_in.Picture) : Lit_Picture(model.Width, model.Height),
            true, problem + "\n" + Picture_Box_Hint};
}
