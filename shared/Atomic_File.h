#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Reading and writing files, in one file per system: Atomic_File.cpp over POSIX,
// Atomic_File_Windows.cpp over Win32; the texts of the failures are common (File_Failure_Text.cpp).

// Why a file could not be read or written. The system's error numbers that a user can act on
// each have their own cause; any other is kept in File_Failure::Error and told as the system
// tells it.
enum class File_Cause {
    None,
    Missing,       // the file (reading) or the folder meant to hold it (writing) does not exist
    Not_A_Folder,  // a part of the path is a file
    Folder,        // the path names a folder
    Not_Regular,   // a pipe, a device or a socket
    Dangling_Link, // a symbolic link to nothing
    Link_Loop,     // symbolic links that lead back to themselves
    Name_Too_Long, // the path, or one of its names, is longer than the system takes
    Disk_Full,     // no room left, or the user's quota spent
    Read_Only,     // the folder is on a file system mounted read-only
    No_Permission,
    Other,
};

enum class File_Use { Read, Write };

struct File_Failure {
    File_Cause Cause = File_Cause::None;
    File_Use Use = File_Use::Write;
    std::string Path; // as it was given: its bytes are shown as they are, in any encoding
    int Error = 0;    // the system's error number, told for Other

    bool Failed() const { return Cause != File_Cause::None; }
};

// The refusals of an output path that come before any work: a folder, a pipe or a device, a
// dangling link, a link loop, a path too long. A link to a regular file is taken, and so is a
// path where nothing is yet; whatever else stops the write is found by the write itself.
File_Failure Check_Output_File(const std::string& path);

// Whether `path` can be opened for reading without waiting and without reading without end: it
// exists and is a regular file, or a link to one. Nothing is opened.
File_Failure Check_Input_File(const std::string& path);

// Reads a file that Check_Input_File takes into `bytes`: the whole of it, or its first `limit`
// bytes.
File_Failure Read_Whole_File(const std::string& path, std::string& bytes,
                             std::size_t limit = SIZE_MAX);

// Writes the bytes to a temporary file in the folder of the file that `path` ends at (a link is
// followed), flushes it to the disk, gives it the old file's permission bits (a new file gets
// 0666 less the umask) and renames it over that file. `path` keeps its old content, or stays
// absent, unless every step succeeded; the temporary file never outlives a failure.
File_Failure Write_File_Atomically(const std::string& path, std::string_view bytes);
inline File_Failure Write_File_Atomically(const std::string& path,
                                          const std::vector<std::uint8_t>& bytes) {
    return Write_File_Atomically(
        path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

// A failure told by a POSIX error number, for a file this module did not open itself (the
// production log, which is built over POSIX only).
File_Failure System_File_Failure(int error, File_Use use, const std::string& path);

// The system's own text for its error number, where a failure has no cause of its own.
std::string System_Error_Text(int error);

// The cause alone, for a message that names the file its own way.
std::string English_Reason(const File_Failure& failure);
std::string Italian_Reason(const File_Failure& failure);

// The failure as one line for the command line (English) and for the windows (Italian), the
// path in it byte for byte.
std::string English_Text(const File_Failure& failure);
std::string Italian_Text(const File_Failure& failure);
