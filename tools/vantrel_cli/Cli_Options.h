#pragma once

#include "Cli_Commands.h"
#include "Configuration.h"
#include "Picture_Boxes.h"
#include "Window_System.h"
#include "mod_variabili.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// One --slot MODEL:N=FILE.
struct Slot_Choice {
    std::string Model;
    int Slot = 0; // index, N - 1
    std::string File;
    bool From_Configuration = false; // a slot of --config rather than a --slot
};

// What the compile options ask for; shared by every subcommand that compiles an image.
struct Compile_Options {
    bool Oled = false;
    std::vector<Slot_Choice> Slots;
    std::optional<std::array<std::uint8_t, 5>> Font_5x8;
    std::optional<std::array<double, 10>> Font_10x16;
    std::string Configuration_File; // --config FILE
};

// Declares --oled, --slot, --font5x8, --font10x16 and --config: the options of every command that
// compiles an image.
void Add_Compile_Options(QCommandLineParser& parser);

// Reads them from a parsed command line. False, with a one-line reason in `error`, when a value
// is malformed.
bool Read_Compile_Options(const QCommandLineParser& parser, Compile_Options& options,
                          std::string& error);

// Whether any of them but --oled was given.
bool Compile_Options_Given(const QCommandLineParser& parser);

// Reads --config FILE into the options: its layout sets --oled (given against it, a usage
// error), its slots come before the --slot choices, which therefore override them, and its
// glyphs stand unless --font5x8 or --font10x16 is given. Then the checks that need all options:
// models belong to the chosen layout, no glyphs with --oled. Exit_Ok, or Exit_Usage once the
// reason (a malformed or refused configuration, a contradiction) is printed.
int Complete_Compile_Options(Compile_Options& options);

// The opening of a command that compiles into one file: the compile options and `output` are
// parsed, read and completed, and `output` is required (`missing` says so). Empty, with its value
// in `output_value`, when the command goes on; else the status the command ends with, once the
// help or the reason is printed (Exit_Ok after the help: the command then does nothing more).
std::optional<int> Parse_Compile_Into(const Cli_Arguments& args, const QCommandLineOption& output,
                                      const std::string& missing, Compile_Options& options,
                                      std::string& output_value);

const Program_Description& Program_For(const Compile_Options& options);

// Fills the slots from the defaults, then puts each chosen file through the name test and the
// header check of a picture-box choice, then sets the glyphs. Returns Exit_Ok, Exit_Failed (a
// default missing) or Exit_Usage (a file refused); the reasons have gone to `ws`.
int Fill_Program_Data(const Compile_Options& options, Program_Data& data, Window_System& ws,
                      Picture_Boxes& boxes);
