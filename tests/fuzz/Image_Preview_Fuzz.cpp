#include "EEPROM_Image_File.h"
#include "Fuzz_Input_File.h"
#include "Image_Decoder.h"
#include "mod_costanti.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

// The input as an image file given to the preview: read, and when it is taken, decoded into the
// pictures of both programs. Exactly the EEPROM's size is taken, byte for byte; anything else is
// refused with a reason.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    static const Fuzz_Input_File file(".bin");
    std::vector<std::uint8_t> image;
    std::string error;
    if (!Read_EEPROM_Image(file.Write(bytes, size), image, error)) {
        if (size == EEPROM_Size || error.empty()) {
            Fuzz_Fail("an image file was refused wrongly");
        }
        return 0;
    }
    if (size != EEPROM_Size || !std::equal(image.begin(), image.end(), bytes)) {
        Fuzz_Fail("an image file was taken with other bytes than it holds");
    }
    for (const Program_Description* program : {&Vantrel_Program(), &Quorrin_Program()}) {
        for (const Lit_Picture& picture : Decode_Image(image, *program)) {
            if (picture.Lit.size() != std::size_t(picture.Width) * picture.Height) {
                Fuzz_Fail("a decoded picture does not match its size");
            }
        }
    }
    return 0;
}
