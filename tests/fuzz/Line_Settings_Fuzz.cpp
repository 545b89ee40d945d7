#include "Fuzz_Input_File.h"
#include "Line_Settings.h"

#include <string>
#include <string_view>

// Any text as line settings. A taken text gives settings in range that read back from their own
// text; a refused one gives a reason that quotes the text.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(bytes), size);
    const Line_Settings_Parse parsed = Parse_Line_Settings(text);
    if (parsed.Settings) {
        const Line_Settings& settings = *parsed.Settings;
        if (settings.Baud == 0 || settings.Data_Bits < 5 || settings.Data_Bits > 8 ||
            (settings.Stop_Bits != 1 && settings.Stop_Bits != 2) || !parsed.Reason.empty()) {
            Fuzz_Fail("taken settings out of range");
        }
        if (Parse_Line_Settings(Settings_Text(settings)).Settings != parsed.Settings) {
            Fuzz_Fail("taken settings do not read back from their text");
        }
    } else if (parsed.Reason.rfind("settings \"" + std::string(text) + "\": ", 0) != 0) {
        Fuzz_Fail("a refusal that does not quote the text");
    }
    return 0;
}
