#include "Atomic_File.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

File_Cause Cause_Of(int error) {
    switch (error) {
    case ENOENT:
        return File_Cause::Missing;
    case ENOTDIR:
        return File_Cause::Not_A_Folder;
    case EISDIR:
        return File_Cause::Folder;
    case ELOOP:
        return File_Cause::Link_Loop;
    case ENAMETOOLONG:
        return File_Cause::Name_Too_Long;
    case ENOSPC:
    case EDQUOT:
        return File_Cause::Disk_Full;
    case EROFS:
        return File_Cause::Read_Only;
    case EACCES:
    case EPERM:
        return File_Cause::No_Permission;
    default:
        return File_Cause::Other;
    }
}

File_Failure Failure(File_Cause cause, File_Use use, const std::string& path, int error = 0) {
    return {cause, use, path, error};
}

File_Failure From_Errno(File_Use use, const std::string& path) {
    return System_File_Failure(errno, use, path);
}

// The type of a path that stat() found: only a regular file is read or replaced.
File_Failure Check_Type(const struct stat& status, File_Use use, const std::string& path) {
    if (S_ISDIR(status.st_mode)) {
        return Failure(File_Cause::Folder, use, path);
    }
    if (!S_ISREG(status.st_mode)) {
        return Failure(File_Cause::Not_Regular, use, path);
    }
    return {};
}

// After stat() failed with `error`: lstat() tells a link to nothing from nothing at all.
File_Cause Stat_Failure_Cause(const std::string& path, int error) {
    struct stat link;
    if (error == ENOENT && ::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        return File_Cause::Dangling_Link;
    }
    return Cause_Of(error);
}

mode_t New_File_Mode() {
    // The umask can only be read by setting it; the value is put straight back.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// The folder part of a path, "." for a bare name.
std::string Folder_Of(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool Write_All(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(std::size_t(written));
    }
    return true;
}

} // namespace

File_Failure Check_Output_File(const std::string& path) {
    struct stat status;
    if (::stat(path.c_str(), &status) == 0) {
        return Check_Type(status, File_Use::Write, path);
    }
    const int error = errno;
    const File_Cause cause = Stat_Failure_Cause(path, error);
    switch (cause) {
    case File_Cause::Dangling_Link:
    case File_Cause::Link_Loop:
    case File_Cause::Name_Too_Long:
        return Failure(cause, File_Use::Write, path, error);
    default:
        return {};
    }
}

File_Failure Check_Input_File(const std::string& path) {
    struct stat status;
    if (::stat(path.c_str(), &status) != 0) {
        const int error = errno;
        return Failure(Stat_Failure_Cause(path, error), File_Use::Read, path, error);
    }
    return Check_Type(status, File_Use::Read, path);
}

File_Failure Read_Whole_File(const std::string& path, std::string& bytes, std::size_t limit) {
    if (File_Failure refused = Check_Input_File(path); refused.Failed()) {
        return refused;
    }
    // Not blocking, in case a pipe took the file's place since the check.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return From_Errno(File_Use::Read, path);
    }
    std::string read;
    char block[65536];
    while (read.size() < limit) {
        const ssize_t got = ::read(fd, block, std::min(sizeof block, limit - read.size()));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            File_Failure failure = From_Errno(File_Use::Read, path);
            ::close(fd);
            return failure;
        }
        if (got == 0) {
            break;
        }
        read.append(block, std::size_t(got));
    }
    ::close(fd);
    bytes = std::move(read);
    return {};
}

File_Failure Write_File_Atomically(const std::string& path, std::string_view bytes) {
    constexpr File_Use use = File_Use::Write;
    if (File_Failure refused = Check_Output_File(path); refused.Failed()) {
        return refused;
    }
    // A link is replaced by way of its target, so the link itself stays and the temporary file
    // is made where the rename can reach the target.
    std::string target = path;
    mode_t mode = New_File_Mode();
    struct stat old;
    if (::stat(path.c_str(), &old) == 0) {
        char* real = ::realpath(path.c_str(), nullptr);
        if (real == nullptr) {
            return From_Errno(use, path);
        }
        target = real;
        std::free(real);
        mode = old.st_mode & 07777;
    } else if (errno != ENOENT) {
        return From_Errno(use, path);
    }

    const std::string folder = Folder_Of(target);
    std::string temporary = folder + "/.vantrel-XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        return From_Errno(use, path);
    }
    // A write, a flush or a close can each be the first to meet a full disk.
    bool written = Write_All(fd, bytes) && ::fsync(fd) == 0 && ::fchmod(fd, mode) == 0;
    int error = errno;
    if (::close(fd) != 0 && written) {
        written = false;
        error = errno;
    }
    if (written && ::rename(temporary.c_str(), target.c_str()) == 0) {
        // The rename itself reaches the disk with the folder's entry; a failure here leaves the
        // new content in place all the same, so it is not reported.
        if (const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY); dir >= 0) {
            ::fsync(dir);
            ::close(dir);
        }
        return {};
    }
    if (written) {
        error = errno;
    }
    ::unlink(temporary.c_str());
    return Failure(Cause_Of(error), use, path, error);
}

std::string System_Error_Text(int error) {
    return std::strerror(error);
}

File_Failure System_File_Failure(int error, File_Use use, const std::string& path) {
    return Failure(Cause_Of(error), use, path, error);
}
