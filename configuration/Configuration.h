#pragma once

#include "Atomic_File.h"
#include "mod_variabili.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

inline constexpr const char* Configuration_Format = "vantrel-configuration";
inline constexpr int Configuration_Version = 1;
// A technician's configuration is a few hundred bytes; the bound keeps the time and memory of a
// read small whatever file is chosen.
inline constexpr std::uintmax_t Configuration_Size_Limit = 1048576;
// The characters of the file that a refusal quotes at most, so that the message stays one line.
inline constexpr std::size_t Configuration_Quote_Limit = 80;

// What a technician chose for one program: a file per slot and the glyphs. It is one JSON
// document on disk, ".vantrel" for the graphic layout and ".quorrin" for the OLED layout.
struct Configuration {
    const Program_Description* Program = nullptr;
    // One entry per model of Program, in its order: each slot's file as an absolute path, or
    // nothing for the model's default background.
    std::vector<std::array<std::optional<std::string>, Slots_Per_Table>> Slots;
    std::array<std::uint8_t, 5> Font_5x8{};
    std::array<double, 10> Font_10x16{};
};

// Why a configuration file was not taken. Nothing has been changed when a read fails.
struct Configuration_Error {
    enum class Kind {
        Unreadable,          // the file cannot be read: File says why
        Too_Large,           // more than Configuration_Size_Limit bytes: Size
        Malformed,           // not JSON: Line, Column and Offset say where it stops being JSON
        Not_A_Configuration, // JSON, but not of this format
        Newer_Version,       // written by a later program: Version
        Invalid_Content,     // a value of the wrong kind or range: Where (a JSON pointer)
        Wrong_Layout,        // a configuration of the other program: Layout
    };
    Kind Problem = Kind::Unreadable;
    std::size_t Line = 0;
    std::size_t Column = 0;
    std::size_t Offset = 0; // bytes from the start of the file, counted from 0
    std::string Where;
    std::string Detail; // what was expected, or the parser's account (English)
    // The size of a file too large; empty when it was found reading past the bound (a file that
    // grew, or one whose size the system does not tell).
    std::optional<std::uintmax_t> Size;
    long long Version = 0;
    std::string Layout;
    File_Failure File;
};

// "graphic" for the program with glyphs, "oled" for the OLED one.
std::string Layout_Name(const Program_Description& program);
// ".vantrel" or ".quorrin".
std::string Configuration_Extension(const Program_Description& program);

// The configuration that the data holds: a slot holding its model's default from the folder the
// start-up found the defaults in is written as the default.
Configuration Configuration_Of(const Program_Data& data);

// The document, paths relative to `folder` (the configuration file's folder) where they can be.
std::string Configuration_Text(const Configuration& configuration, const std::string& folder);

// Reads a document; relative paths are taken from `folder`. The layout names the program.
bool Parse_Configuration(const std::string& text, const std::string& folder,
                         Configuration& configuration, Configuration_Error& error);

// False (Wrong_Layout) when the configuration belongs to another program than `expected`.
bool Check_Layout(const Configuration& configuration, const Program_Description& expected,
                  Configuration_Error& error);

// Refused unread when larger than Configuration_Size_Limit; no more than one byte past it is
// read in any case.
bool Read_Configuration_File(const std::string& path, Configuration& configuration,
                             Configuration_Error& error);
// Atomic: the file holds the old or the whole new document.
File_Failure Write_Configuration_File(const std::string& path, const Configuration& configuration);
