#include "Atomic_File.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <string>

namespace {

// Paths come as UTF-8, the way the programs' Qt side and the command line hand them down.
std::wstring Wide(const std::string& text) {
    if (text.empty()) {
        return {};
    }
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring wide(std::size_t(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), wide.data(), length);
    return wide;
}

File_Cause Cause_Of(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return File_Cause::Missing;
    case ERROR_DIRECTORY:
        return File_Cause::Not_A_Folder;
    case ERROR_CANT_RESOLVE_FILENAME:
        return File_Cause::Link_Loop;
    case ERROR_FILENAME_EXCED_RANGE:
        return File_Cause::Name_Too_Long;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return File_Cause::Disk_Full;
    case ERROR_WRITE_PROTECT:
        return File_Cause::Read_Only;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
        return File_Cause::No_Permission;
    default:
        return File_Cause::Other;
    }
}

File_Failure Last_Error(File_Use use, const std::string& path) {
    const DWORD error = GetLastError();
    return {Cause_Of(error), use, path, int(error)};
}

// CON, NUL, COM1 and the like are devices in every folder, and \\.\ names any device: none is
// ever opened to find out what it is, since opening a serial port could disturb a unit.
bool Device_Name(const std::string& path) {
    if (path.rfind("\\\\.\\", 0) == 0 || path.rfind("//./", 0) == 0) {
        return true;
    }
    std::string name = path.substr(path.find_last_of("/\\:") + 1);
    name = name.substr(0, name.find('.'));
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return char(std::toupper(c)); });
    if (name == "CON" || name == "PRN" || name == "AUX" || name == "NUL") {
        return true;
    }
    return name.size() == 4 && (name.rfind("COM", 0) == 0 || name.rfind("LPT", 0) == 0) &&
           name[3] >= '1' && name[3] <= '9';
}

// What the path names, its links followed; a link to nothing is told from nothing at all.
File_Failure Check_Type(const std::string& path, File_Use use) {
    if (Device_Name(path)) {
        return {File_Cause::Not_Regular, use, path, 0};
    }
    const std::wstring wide = Wide(path);
    const HANDLE file =
        CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        File_Failure failure = Last_Error(use, path);
        const DWORD own = GetFileAttributesW(wide.c_str());
        if (failure.Cause == File_Cause::Missing && own != INVALID_FILE_ATTRIBUTES &&
            (own & FILE_ATTRIBUTE_REPARSE_POINT)) {
            failure.Cause = File_Cause::Dangling_Link;
        }
        return failure;
    }
    BY_HANDLE_FILE_INFORMATION information{};
    const bool known = GetFileInformationByHandle(file, &information);
    const DWORD type = GetFileType(file);
    CloseHandle(file);
    if (known && (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return {File_Cause::Folder, use, path, 0};
    }
    if (type != FILE_TYPE_DISK) {
        return {File_Cause::Not_Regular, use, path, 0};
    }
    return {};
}

bool Write_All(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD written = 0;
        const DWORD part = DWORD(std::min<std::size_t>(bytes.size(), 1u << 30));
        if (!WriteFile(file, bytes.data(), part, &written, nullptr)) {
            return false;
        }
        bytes.remove_prefix(written);
    }
    return true;
}

// The final path of an existing file, its links followed, for the rename to replace the target
// and keep the link.
std::wstring Final_Path(const std::wstring& path) {
    const HANDLE file =
        CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return path;
    }
    std::wstring final_path(MAX_PATH, L'\0');
    DWORD length = GetFinalPathNameByHandleW(file, final_path.data(), DWORD(final_path.size()), 0);
    if (length >= final_path.size()) {
        final_path.resize(length);
        length = GetFinalPathNameByHandleW(file, final_path.data(), DWORD(final_path.size()), 0);
    }
    CloseHandle(file);
    if (length == 0 || length >= final_path.size()) {
        return path;
    }
    final_path.resize(length);
    return final_path;
}

} // namespace

File_Failure Check_Output_File(const std::string& path) {
    const File_Failure failure = Check_Type(path, File_Use::Write);
    switch (failure.Cause) {
    case File_Cause::Folder:
    case File_Cause::Not_Regular:
    case File_Cause::Dangling_Link:
    case File_Cause::Link_Loop:
    case File_Cause::Name_Too_Long:
        return failure;
    default:
        return {};
    }
}

File_Failure Check_Input_File(const std::string& path) {
    return Check_Type(path, File_Use::Read);
}

File_Failure Read_Whole_File(const std::string& path, std::string& bytes, std::size_t limit) {
    if (File_Failure refused = Check_Input_File(path); refused.Failed()) {
        return refused;
    }
    const HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return Last_Error(File_Use::Read, path);
    }
    std::string read;
    char block[65536];
    while (read.size() < limit) {
        DWORD got = 0;
        if (!ReadFile(file, block, DWORD(std::min(sizeof block, limit - read.size())), &got,
                      nullptr)) {
            File_Failure failure = Last_Error(File_Use::Read, path);
            CloseHandle(file);
            return failure;
        }
        if (got == 0) {
            break;
        }
        read.append(block, got);
    }
    CloseHandle(file);
    bytes = std::move(read);
    return {};
}

File_Failure Write_File_Atomically(const std::string& path, std::string_view bytes) {
    constexpr File_Use use = File_Use::Write;
    if (File_Failure refused = Check_Output_File(path); refused.Failed()) {
        return refused;
    }
    const std::wstring target = Final_Path(Wide(path));
    const std::size_t cut = target.find_last_of(L"/\\");
    const std::wstring folder = cut == std::wstring::npos ? L"." : target.substr(0, cut + 1);
    wchar_t temporary[MAX_PATH + 1];
    if (GetTempFileNameW(folder.c_str(), L"vtl", 0, temporary) == 0) {
        return Last_Error(use, path);
    }
    const HANDLE file = CreateFileW(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        File_Failure failure = Last_Error(use, path);
        DeleteFileW(temporary);
        return failure;
    }
    // A write, a flush or a close can each be the first to meet a full disk.
    bool written = Write_All(file, bytes) && FlushFileBuffers(file);
    DWORD error = GetLastError();
    if (!CloseHandle(file) && written) {
        written = false;
        error = GetLastError();
    }
    if (written && MoveFileExW(temporary, target.c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return {};
    }
    if (written) {
        error = GetLastError();
    }
    DeleteFileW(temporary);
    return {Cause_Of(error), use, path, int(error)};
}

std::string System_Error_Text(int error) {
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, DWORD(error), 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string told = length ? std::string(text, length) : "error " + std::to_string(error);
    LocalFree(text);
    while (!told.empty() && (told.back() == '\n' || told.back() == '\r' || told.back() == '.')) {
        told.pop_back();
    }
    return told;
}
