#include "Atomic_File.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace fs = std::filesystem;

namespace {

// A name beside the target that no other writer picks at the same time.
fs::path Temporary_Beside(const fs::path& target) {
    std::ostringstream suffix;
    suffix << ".~" << std::hex << std::random_device{}() << std::random_device{}();
    return fs::path(target.string() + suffix.str());
}

} // namespace

bool Write_File_Atomically(const std::string& path, std::string_view bytes, std::string& error) {
    const fs::path target(path);
    std::error_code ec;
    if (fs::is_directory(target, ec)) {
        error = path + " is a folder";
        return false;
    }
    const fs::path temporary = Temporary_Beside(target);
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        if (!file) {
            error = "cannot create a file in the folder of " + path;
            return false;
        }
        file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        file.close();
        if (!file) {
            fs::remove(temporary, ec);
            error = "cannot write " + path;
            return false;
        }
    }
    fs::rename(temporary, target, ec);
    if (ec) {
        error = "cannot replace " + path + ": " + ec.message();
        fs::remove(temporary, ec);
        return false;
    }
    return true;
}
