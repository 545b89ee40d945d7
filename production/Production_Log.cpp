#include "Production_Log.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Closes the descriptor, which also releases its lock.
class File_Descriptor {
  public:
    explicit File_Descriptor(int fd) : fd_(fd) {}
    ~File_Descriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    File_Descriptor(const File_Descriptor&) = delete;
    File_Descriptor& operator=(const File_Descriptor&) = delete;
    int Get() const { return fd_; }

  private:
    int fd_;
};

bool Fail(const std::string& path, std::string& error) {
    error = path + ": " + std::strerror(errno);
    return false;
}

} // namespace

bool Append_Csv_Record(const std::string& path, const Unit_Record& record, std::string& error) {
    const File_Descriptor file(
        ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644));
    if (file.Get() < 0) {
        return Fail(path, error);
    }
    struct stat status {};
    if (::fstat(file.Get(), &status) != 0) {
        return Fail(path, error);
    }
    if (!S_ISREG(status.st_mode)) {
        error = path + ": not a regular file";
        return false;
    }
    while (::flock(file.Get(), LOCK_EX) != 0) {
        if (errno != EINTR) {
            return Fail(path, error);
        }
    }
    // Another station may have written the header between the opening and the lock.
    if (::fstat(file.Get(), &status) != 0) {
        return Fail(path, error);
    }
    const std::string text =
        (status.st_size == 0 ? Csv_Header() + "\n" : std::string()) + Csv_Record(record) + "\n";
    ssize_t written = 0;
    do {
        written = ::write(file.Get(), text.data(), text.size());
    } while (written < 0 && errno == EINTR);
    if (written != static_cast<ssize_t>(text.size())) {
        if (written >= 0) {
            errno = ENOSPC;
        }
        return Fail(path, error);
    }
    return true;
}

std::string Station_Records::Add(Unit_Record& record) {
    record.Finished = Utc_Now();
    totals_.Add(record);
    std::string error;
    if (!log_.empty() && !Append_Csv_Record(log_, record, error)) {
        log_failed_ = true;
        return error;
    }
    return {};
}

int Station_Records::Exit_Status() const {
    const int status = Production_Exit_Status(totals_.Exit_Codes);
    return status == Exit_Ok && log_failed_ ? Exit_Failed : status;
}
