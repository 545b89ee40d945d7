#include "Cli_Output.h"

#include <QSaveFile>

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
    return Allowed(path, std::filesystem::file_type::regular, "a regular file", error);
}

bool Output_Folder_Allowed(const std::string& path, std::string& error) {
    return Allowed(path, std::filesystem::file_type::directory, "a folder", error);
}

bool Save_Atomically(const std::string& path, const QByteArray& bytes, std::string& error) {
    QSaveFile file(QString::fromStdString(path));
    // Unbuffered, a write that the disk refuses fails at once instead of at a flush whose
    // failure the commit would not report.
    if (file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) &&
        file.write(bytes) == bytes.size() && file.commit()) {
        return true;
    }
    // A disk that runs full takes part of a write without reporting an error.
    error = "cannot write " + path + ": " +
            (file.error() == QFileDevice::NoError ? std::string("the disk took only part of it")
                                                  : file.errorString().toStdString());
    return false;
}
