#include "Production_Log.h"

#include <cerrno>
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

File_Failure Fail(const std::string& path) {
    return System_File_Failure(errno, File_Use::Write, path);
}

} // namespace

File_Failure Append_Csv_Record(const std::string& path, const Unit_Record& record) {
    // Non-blocking: a pipe without a reader fails at once rather than holding the station.
    const File_Descriptor file(
        ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0644));
    if (file.Get() < 0) {
        return Fail(path);
    }
    struct stat status {};
    if (::fstat(file.Get(), &status) != 0) {
        return Fail(path);
    }
    if (!S_ISREG(status.st_mode)) {
        return {File_Cause::Not_Regular, File_Use::Write, path};
    }
    while (::flock(file.Get(), LOCK_EX) != 0) {
        if (errno != EINTR) {
            return Fail(path);
        }
    }
    // Another station may have written the header between the opening and the lock.
    if (::fstat(file.Get(), &status) != 0) {
        return Fail(path);
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
        return Fail(path);
    }
    return {};
}

File_Failure Station_Records::Add(Unit_Record& record) {
    record.Finished = Utc_Now();
    totals_.Add(record);
    if (log_.empty()) {
        return {};
    }
    File_Failure failure = Append_Csv_Record(log_, record);
    log_failed_ = log_failed_ || failure.Failed();
    return failure;
}

int Station_Records::Exit_Status() const {
    const int status = Production_Exit_Status(totals_.Exit_Codes);
    return status == Exit_Ok && log_failed_ ? Exit_Failed : status;
}
