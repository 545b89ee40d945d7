#include "Cli_Output.h"

#include "Atomic_File.h"

#include <filesystem>

namespace {

bool Allowed(const std::string& path, std::filesystem::file_type wanted, const char* what,
             std::string& error) {
    std::error_code ec;
    const auto type = std::filesystem::status(path, ec).type();
    if (type == std::filesystem::file_type::not_found || type == wanted) {
        return true;
    }
    if (ec) {
        error = "cannot check " + path + ": " + ec.message();
        return false;
    }
    error = path + " exists and is not " + what + "; refused";
    return false;
}

} // namespace

bool Output_File_Allowed(const std::string& path, std::string& error) {
    const File_Failure refused = Check_Output_File(path);
    error = refused.Failed() ? English_Text(refused) : "";
    return !refused.Failed();
}

bool Output_Folder_Allowed(const std::string& path, std::string& error) {
    return Allowed(path, std::filesystem::file_type::directory, "a folder", error);
}

bool Save_Atomically(const std::string& path, std::string_view bytes, std::string& error) {
    const File_Failure failure = Write_File_Atomically(path, bytes);
    error = failure.Failed() ? English_Text(failure) : "";
    return !failure.Failed();
}
