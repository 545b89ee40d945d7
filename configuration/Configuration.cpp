#include "Configuration.h"

#include "Atomic_File.h"

#include <nlohmann/json.hpp>

#include <filesystem>

namespace fs = std::filesystem;
using json = nlohmann::json;

namespace {

// The directory `path` names, absolute and without "." or "..".
fs::path Normal_Folder(const std::string& folder) {
    return fs::absolute(folder.empty() ? fs::path(".") : fs::path(folder)).lexically_normal();
}

std::string Relative_Where_Possible(const std::string& file, const fs::path& folder) {
    const fs::path absolute = fs::absolute(file).lexically_normal();
    const fs::path relative = absolute.lexically_relative(folder);
    // Another drive has no relative path; the absolute one still names the file.
    return (relative.empty() ? absolute : relative).generic_string();
}

struct Invalid {
    std::string Where;
    std::string Expected;
};

const Program_Description* Program_Of_Layout(const std::string& layout) {
    for (const Program_Description* program : {&Vantrel_Program(), &Quorrin_Program()}) {
        if (Layout_Name(*program) == layout) {
            return program;
        }
    }
    return nullptr;
}

template <std::size_t N, typename T>
void Read_Columns(const json& document, const char* key, std::uint64_t limit,
                  std::array<T, N>& columns) {
    const auto found = document.find(key);
    if (found == document.end()) {
        return;
    }
    const std::string where = std::string("/") + key;
    const std::string expected = std::to_string(N) + " whole numbers 0.." + std::to_string(limit);
    if (!found->is_array() || found->size() != N) {
        throw Invalid{where, expected};
    }
    for (std::size_t c = 0; c < N; ++c) {
        const json& value = (*found)[c];
        if (!value.is_number_unsigned() || value.get<std::uint64_t>() > limit) {
            throw Invalid{where + "/" + std::to_string(c), expected};
        }
        columns[c] = static_cast<T>(value.get<std::uint64_t>());
    }
}

void Read_Slots(const json& document, const fs::path& folder, Configuration& configuration) {
    const auto found = document.find("slots");
    if (found == document.end()) {
        return;
    }
    if (!found->is_object()) {
        throw Invalid{"/slots", "an object of models"};
    }
    const auto& models = configuration.Program->Models;
    for (std::size_t m = 0; m < models.size(); ++m) {
        const auto slots = found->find(models[m].Code);
        if (slots == found->end()) {
            continue;
        }
        const std::string where = "/slots/" + models[m].Code;
        const std::string expected = "4 file names or nulls";
        if (!slots->is_array() || slots->size() != Slots_Per_Table) {
            throw Invalid{where, expected};
        }
        for (std::size_t k = 0; k < Slots_Per_Table; ++k) {
            const json& value = (*slots)[k];
            if (value.is_null()) {
                continue;
            }
            if (!value.is_string() || value.get<std::string>().empty()) {
                throw Invalid{where + "/" + std::to_string(k), expected};
            }
            const fs::path file(value.get<std::string>());
            configuration.Slots[m][k] =
                (file.is_absolute() ? file : folder / file).lexically_normal().string();
        }
    }
}

// [a, b, c] on one line.
std::string Json_List(const std::vector<json>& values) {
    std::string text = "[";
    for (std::size_t i = 0; i < values.size(); ++i) {
        text += (i == 0 ? "" : ", ") + values[i].dump();
    }
    return text + "]";
}

// Line and column (from 1) of the byte at `offset`.
void Locate(const std::string& text, std::size_t offset, Configuration_Error& error) {
    offset = std::min(offset, text.size());
    error.Offset = offset;
    error.Line = 1;
    std::size_t line_start = 0;
    for (std::size_t i = 0; i < offset; ++i) {
        if (text[i] == '\n') {
            ++error.Line;
            line_start = i + 1;
        }
    }
    error.Column = offset - line_start + 1;
}

// At most Configuration_Quote_Limit characters of `text`, "..." after a cut; a character of
// several UTF-8 bytes is never split. A character has at most three continuation bytes, so that
// stray ones still count.
std::string Excerpt(const std::string& text) {
    std::size_t characters = 0;
    std::size_t continuation = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool continues =
            (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80 && continuation < 3;
        continuation = continues ? continuation + 1 : 0;
        if (!continues && characters++ == Configuration_Quote_Limit) {
            return text.substr(0, i) + "...";
        }
    }
    return text;
}

// The parser's account with the text it quotes from the document, which starts after `open`, cut
// to an excerpt. The quote's closing apostrophe ends the account, or comes before the short
// "; expected ..." that the parser may add.
std::string With_Quote_Cut(const std::string& account, std::size_t open) {
    // "'; expected '[', '{', or a literal" is the longest ending the parser writes.
    constexpr std::size_t Longest_Ending = 40;
    std::size_t close = account.size() - 1;
    const std::size_t expected = account.rfind("'; expected ");
    if (expected != std::string::npos && expected >= open &&
        account.size() - expected <= Longest_Ending) {
        close = expected;
    }
    if (close < open) {
        return account;
    }
    return account.substr(0, open) + Excerpt(account.substr(open, close - open)) +
           account.substr(close);
}

} // namespace

std::string Layout_Name(const Program_Description& program) {
    return program.Has_Glyphs ? "graphic" : "oled";
}

std::string Configuration_Extension(const Program_Description& program) {
    return program.Has_Glyphs ? ".vantrel" : ".quorrin";
}

Configuration Configuration_Of(const Program_Data& data) {
    Configuration configuration;
    configuration.Program = &data.Program;
    for (const Image_Table& table : data.Tables) {
        auto& slots = configuration.Slots.emplace_back();
        const std::string default_path = data.Defaults_Folder + "/" + table.Model->Default_File;
        for (std::size_t k = 0; k < Slots_Per_Table; ++k) {
            if (table.Slots[k].Path != default_path) {
                slots[k] = table.Slots[k].Path;
            }
        }
    }
    configuration.Font_5x8 = data.Font_5x8_Columns;
    configuration.Font_10x16 = data.Font_10x16_Columns;
    return configuration;
}

std::string Configuration_Text(const Configuration& configuration, const std::string& folder) {
    const fs::path base = Normal_Folder(folder);
    const Program_Description& program = *configuration.Program;
    // Written by hand around the library's value encoding, so that each model's slots and each
    // glyph stay on one line and a change shows as a one-line difference.
    std::string text = "{\n";
    text += "  \"format\": " + json(Configuration_Format).dump() + ",\n";
    text += "  \"version\": " + std::to_string(Configuration_Version) + ",\n";
    text += "  \"layout\": " + json(Layout_Name(program)).dump() + ",\n";
    text += "  \"slots\": {";
    for (std::size_t m = 0; m < program.Models.size(); ++m) {
        text += m == 0 ? "\n" : ",\n";
        std::vector<json> files;
        for (const auto& file : configuration.Slots.at(m)) {
            files.push_back(file ? json(Relative_Where_Possible(*file, base)) : json(nullptr));
        }
        text += "    " + json(program.Models[m].Code).dump() + ": " + Json_List(files);
    }
    text += "\n  }";
    if (program.Has_Glyphs) {
        std::vector<json> small(configuration.Font_5x8.begin(), configuration.Font_5x8.end());
        std::vector<json> large;
        for (double value : configuration.Font_10x16) {
            large.push_back(static_cast<std::uint32_t>(value));
        }
        text += ",\n  \"font5x8\": " + Json_List(small);
        text += ",\n  \"font10x16\": " + Json_List(large);
    }
    text += "\n}\n";
    return text;
}

bool Parse_Configuration(const std::string& text, const std::string& folder,
                         Configuration& configuration, Configuration_Error& error) {
    using Kind = Configuration_Error::Kind;
    json document;
    try {
        document = json::parse(text);
    } catch (const json::parse_error& e) {
        error = {};
        error.Problem = Kind::Malformed;
        // The parser counts the byte it stopped at from 1.
        Locate(text, e.byte > 0 ? e.byte - 1 : 0, error);
        const std::string what = e.what();
        const auto colon = what.find(": ");
        error.Detail = colon == std::string::npos ? what : what.substr(colon + 2);
        const std::string last_read = "last read: '";
        if (const auto quote = error.Detail.find(last_read); quote != std::string::npos) {
            error.Detail = With_Quote_Cut(error.Detail, quote + last_read.size());
        }
        return false;
    } catch (const json::exception& e) {
        // A number too large for any integer is JSON the parser cannot hold; its message quotes
        // the number, which shows where it stands.
        error = {};
        error.Problem = Kind::Malformed;
        const std::string what = e.what();
        const auto open = what.find('\'');
        const auto close = what.rfind('\'');
        const std::size_t at =
            open < close ? text.find(what.substr(open + 1, close - open - 1)) : std::string::npos;
        Locate(text, at == std::string::npos ? 0 : at, error);
        const auto colon = what.find("] ");
        error.Detail = colon == std::string::npos ? what : what.substr(colon + 2);
        if (const auto quote = error.Detail.find('\''); quote != std::string::npos) {
            error.Detail = With_Quote_Cut(error.Detail, quote + 1);
        }
        return false;
    }
    const auto format = document.is_object() ? document.find("format") : document.end();
    if (!document.is_object() || format == document.end() || *format != Configuration_Format) {
        error = {};
        error.Problem = Kind::Not_A_Configuration;
        return false;
    }
    Configuration read;
    try {
        const auto version = document.find("version");
        if (version == document.end() || !version->is_number_integer() ||
            version->get<long long>() < 1) {
            throw Invalid{"/version", "a whole number from 1"};
        }
        if (version->get<long long>() > Configuration_Version) {
            error = {};
            error.Problem = Kind::Newer_Version;
            error.Version = version->get<long long>();
            return false;
        }
        const auto layout = document.find("layout");
        read.Program = layout != document.end() && layout->is_string()
                           ? Program_Of_Layout(layout->get<std::string>())
                           : nullptr;
        if (!read.Program) {
            throw Invalid{"/layout", "\"graphic\" or \"oled\""};
        }
        read.Slots.resize(read.Program->Models.size());
        Read_Slots(document, Normal_Folder(folder), read);
        if (read.Program->Has_Glyphs) {
            Read_Columns(document, "font5x8", 0xFF, read.Font_5x8);
            Read_Columns(document, "font10x16", 0xFFFF, read.Font_10x16);
        }
    } catch (const Invalid& invalid) {
        error = {};
        error.Problem = Kind::Invalid_Content;
        error.Where = invalid.Where;
        error.Detail = invalid.Expected;
        return false;
    }
    configuration = std::move(read);
    return true;
}

bool Check_Layout(const Configuration& configuration, const Program_Description& expected,
                  Configuration_Error& error) {
    if (configuration.Program == &expected) {
        return true;
    }
    error = {};
    error.Problem = Configuration_Error::Kind::Wrong_Layout;
    error.Layout = Layout_Name(*configuration.Program);
    return false;
}

bool Read_Configuration_File(const std::string& path, Configuration& configuration,
                             Configuration_Error& error) {
    using Kind = Configuration_Error::Kind;
    error = {};
    if (error.File = Check_Input_File(path); error.File.Failed()) {
        error.Problem = Kind::Unreadable;
        return false;
    }
    std::error_code ec;
    if (const std::uintmax_t size = fs::file_size(path, ec);
        !ec && size > Configuration_Size_Limit) {
        error.Problem = Kind::Too_Large;
        error.Size = size;
        return false;
    }
    // The file may have grown since, or not tell its size: one byte past the bound is enough to
    // refuse it.
    std::string text;
    if (error.File = Read_Whole_File(path, text, Configuration_Size_Limit + 1);
        error.File.Failed()) {
        error.Problem = Kind::Unreadable;
        return false;
    }
    if (text.size() > Configuration_Size_Limit) {
        error.Problem = Kind::Too_Large;
        return false;
    }
    const std::string folder = fs::absolute(path).parent_path().string();
    return Parse_Configuration(text, folder, configuration, error);
}

File_Failure Write_Configuration_File(const std::string& path, const Configuration& configuration) {
    const std::string folder = fs::absolute(path).parent_path().string();
    return Write_File_Atomically(path, Configuration_Text(configuration, folder));
}
