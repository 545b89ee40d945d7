#include "Sim_Line.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

std::string System_Error(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

bool Make_Raw(int fd, bool set_speed) {
    termios settings{};
    if (::tcgetattr(fd, &settings) != 0) {
        return false;
    }
    ::cfmakeraw(&settings);
    settings.c_cflag |= CLOCAL | CREAD;
    settings.c_cflag &= ~(CSTOPB | PARENB | CRTSCTS);
    settings.c_cc[VMIN] = 1;
    settings.c_cc[VTIME] = 0;
    if (set_speed &&
        (::cfsetispeed(&settings, B115200) != 0 || ::cfsetospeed(&settings, B115200) != 0)) {
        return false;
    }
    return ::tcsetattr(fd, TCSANOW, &settings) == 0;
}

} // namespace

Sim_Line::~Sim_Line() {
    Close();
}

void Sim_Line::Close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (slave_fd_ >= 0) {
        ::close(slave_fd_);
        slave_fd_ = -1;
    }
}

bool Sim_Line::Open_Pty() {
    fd_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (fd_ < 0) {
        error_ = System_Error("posix_openpt");
        return false;
    }
    const char* name = nullptr;
    if (::grantpt(fd_) != 0 || ::unlockpt(fd_) != 0 || (name = ::ptsname(fd_)) == nullptr) {
        error_ = System_Error("pseudo-terminal set-up");
        Close();
        return false;
    }
    device_ = name;
    slave_fd_ = ::open(device_.c_str(), O_RDWR | O_NOCTTY);
    // Raw on the slave side: the line discipline sits there, and it must not translate a byte.
    if (slave_fd_ < 0 || !Make_Raw(slave_fd_, true)) {
        error_ = System_Error(device_);
        Close();
        return false;
    }
    if (::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) | O_NONBLOCK) != 0) {
        error_ = System_Error("pseudo-terminal");
        Close();
        return false;
    }
    return true;
}

bool Sim_Line::Open_Port(const std::string& device) {
    device_ = device;
    fd_ = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd_ < 0) {
        error_ = System_Error(device);
        return false;
    }
    if (!Make_Raw(fd_, true)) {
        error_ = System_Error(device + " (settings 115200 8N1)");
        Close();
        return false;
    }
    ::tcflush(fd_, TCIOFLUSH);
    return true;
}
