#include "Sim_Process.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <poll.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

int Remaining_Ms(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

} // namespace

Sim_Process::Sim_Process(const std::vector<std::string>& options) {
    int pipe_fds[2];
    if (::pipe(pipe_fds) != 0) {
        return;
    }
    std::vector<std::string> words = {MODULE_SIM_PATH, "--pty"};
    words.insert(words.end(), options.begin(), options.end());
    std::vector<char*> argv;
    for (auto& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    pid_ = ::fork();
    if (pid_ == 0) {
        ::dup2(pipe_fds[1], STDOUT_FILENO);
        ::close(pipe_fds[0]);
        ::close(pipe_fds[1]);
        ::execv(MODULE_SIM_PATH, argv.data());
        ::_exit(127);
    }
    ::close(pipe_fds[1]);
    out_ = pipe_fds[0];
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    char c = 0;
    while (Clock::now() < deadline) {
        pollfd fd{out_, POLLIN, 0};
        if (::poll(&fd, 1, Remaining_Ms(deadline)) != 1 || ::read(out_, &c, 1) != 1 || c == '\n') {
            break;
        }
        device_ += c;
    }
}

Sim_Process::~Sim_Process() {
    Stop(SIGKILL);
    if (out_ >= 0) {
        ::close(out_);
    }
}

int Sim_Process::Wait_Exit(std::chrono::milliseconds limit) {
    if (pid_ <= 0) {
        return -1;
    }
    const auto deadline = Clock::now() + limit;
    int status = 0;
    while (::waitpid(pid_, &status, WNOHANG) == 0) {
        if (Clock::now() >= deadline) {
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

int Sim_Process::Stop(int signal) {
    if (pid_ <= 0) {
        return -1;
    }
    ::kill(pid_, signal);
    const int status = Wait_Exit(std::chrono::seconds(5));
    if (status < 0 && pid_ > 0) {
        ::kill(pid_, SIGKILL);
        Wait_Exit(std::chrono::seconds(5));
    }
    return status;
}

Raw_Port::Raw_Port(const std::string& device) {
    fd_ = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    termios settings{};
    if (fd_ >= 0 && ::tcgetattr(fd_, &settings) == 0) {
        ::cfmakeraw(&settings);
        ::tcsetattr(fd_, TCSANOW, &settings);
    }
}

Raw_Port::~Raw_Port() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

void Raw_Port::Send(const std::string& bytes) {
    std::size_t sent = 0;
    while (fd_ >= 0 && sent < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.data() + sent, bytes.size() - sent);
        if (n <= 0) {
            return;
        }
        sent += static_cast<std::size_t>(n);
    }
}

std::string Raw_Port::Read_Count(std::size_t count, std::chrono::milliseconds limit) {
    std::string received;
    const auto deadline = Clock::now() + limit;
    char buffer[512];
    while (fd_ >= 0 && received.size() < count && Clock::now() < deadline) {
        pollfd fd{fd_, POLLIN, 0};
        if (::poll(&fd, 1, Remaining_Ms(deadline)) != 1 || (fd.revents & POLLIN) == 0) {
            break;
        }
        const ssize_t n = ::read(fd_, buffer, sizeof buffer);
        if (n <= 0) {
            break;
        }
        received.append(buffer, static_cast<std::size_t>(n));
    }
    return received;
}

std::string Raw_Port::Read_For(std::chrono::milliseconds window) {
    return Read_Count(static_cast<std::size_t>(-1), window);
}

bool Raw_Port::Hang_Up_Within(std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    char buffer[512];
    while (fd_ >= 0 && Clock::now() < deadline) {
        pollfd fd{fd_, POLLIN, 0};
        if (::poll(&fd, 1, Remaining_Ms(deadline)) != 1) {
            continue;
        }
        if ((fd.revents & (POLLHUP | POLLERR)) != 0) {
            return true;
        }
        const ssize_t n = ::read(fd_, buffer, sizeof buffer);
        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) {
            return true;
        }
    }
    return false;
}

std::string Bytes(std::initializer_list<int> values) {
    std::string bytes;
    for (int value : values) {
        bytes += static_cast<char>(value);
    }
    return bytes;
}

std::string With_Checksum(std::string frame) {
    unsigned sum = 0;
    for (char c : frame) {
        sum += static_cast<unsigned char>(c);
    }
    frame += static_cast<char>(0xFF - (sum & 0xFF));
    return frame;
}

std::string Write_Frame(unsigned address, const std::string& data) {
    return With_Checksum(
        Bytes({0x04, 0x84, static_cast<int>(address >> 24),
               static_cast<int>((address >> 16) & 0xFF), static_cast<int>((address >> 8) & 0xFF),
               static_cast<int>(address & 0xFF)}) +
        data);
}

std::string Read_File(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}
