#include "Configuration.h"
#include "Configuration_Load.h"
#include "Configuration_Messages.h"
#include "Fake_Window_System.h"
#include "Fuzz_Input_File.h"
#include "Model_Descriptor.h"
#include "Start_Up.h"

#include <cstdio>
#include <cstdlib>
#include <string>

// The input as a configuration document. A document that is refused says why; one that is taken
// writes back to a document that reads as the same configuration, and loads into the program
// whose layout it names, each slot either taken or refused with a reason.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(bytes), size);
    Configuration configuration;
    Configuration_Error error;
    if (!Parse_Configuration(text, "/fuzz/folder", configuration, error)) {
        if (English_Text(error, "f").empty() || Italian_Text(error, "f").empty()) {
            Fuzz_Fail("a refused configuration without a reason");
        }
        // The account of the parser and an excerpt of the document, never the document itself.
        if (English_Text(error, "f").size() > 640) {
            Fuzz_Fail("a refusal quotes more of the document than an excerpt");
        }
        return 0;
    }
    if (!configuration.Program ||
        configuration.Slots.size() != configuration.Program->Models.size()) {
        Fuzz_Fail("a configuration taken without a slot list per model");
    }
    Configuration again;
    if (!Parse_Configuration(Configuration_Text(configuration, "/fuzz/folder"), "/fuzz/folder",
                             again, error) ||
        again.Program != configuration.Program || again.Slots != configuration.Slots ||
        again.Font_5x8 != configuration.Font_5x8 || again.Font_10x16 != configuration.Font_10x16) {
        Fuzz_Fail("a configuration does not survive being written and read back");
    }
    Fake_Window_System ws;
    ws.Folder = DATA_DIR;
    Program_Data data(*configuration.Program);
    No_Picture_Boxes boxes;
    if (!Start_Up_Fill(data, ws, boxes)) {
        Fuzz_Fail("the defaults do not load");
    }
    for (const Slot_Failure& failure : Apply_Configuration(configuration, data, boxes, ws)) {
        if (failure.Reason.empty()) {
            Fuzz_Fail("a slot refused without a reason");
        }
    }
    return 0;
}
