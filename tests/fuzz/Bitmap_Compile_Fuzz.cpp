#include "Fake_Window_System.h"
#include "Fuzz_Input_File.h"
#include "Start_Up.h"
#include "mod_Compilatore.h"
#include "mod_Funzioni_Varie.h"

#include <cstdio>
#include <cstdlib>

// The input as a background the user picked: the header check of every model of both programs,
// and where a model accepts it into its first slot, a compile of the whole image. A file the
// check accepts must always compile.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    static const Fuzz_Input_File file(".bmp");
    const std::string& path = file.Write(bytes, size);
    for (const Program_Description* program : {&Vantrel_Program(), &Quorrin_Program()}) {
        Fake_Window_System ws;
        ws.Folder = DATA_DIR;
        No_Picture_Boxes boxes;
        Program_Data data(*program);
        if (!Start_Up_Fill(data, ws, boxes)) {
            std::fprintf(stderr, "the default bitmaps are not in %s\n", DATA_DIR);
            std::abort();
        }
        bool accepted = false;
        for (int m = 0; m < static_cast<int>(data.Tables.size()); ++m) {
            accepted |= Accept_Background(data, m, 0, path, boxes, ws);
        }
        if (accepted && !Compile_Images(data, ws)) {
            std::fprintf(stderr, "an accepted bitmap did not compile: %s\n",
                         ws.Messages.back().Text.c_str());
            std::abort();
        }
    }
    return 0;
}
