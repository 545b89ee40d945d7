#include "Child_Process.h"

#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

Child_Process::Child_Process(const std::string& program, const std::vector<std::string>& args) {
    const std::string out = folder_ / "out";
    const std::string err = folder_ / "err";
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const auto& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    pid_ = fork();
    if (pid_ == 0) {
        dup2(open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDOUT_FILENO);
        dup2(open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDERR_FILENO);
        dup2(open("/dev/null", O_RDONLY), STDIN_FILENO);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
}

Child_Process::~Child_Process() {
    Stop(SIGKILL);
}

int Child_Process::Wait(std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (status_ < 0 && pid_ > 0) {
        int raw = 0;
        if (waitpid(pid_, &raw, WNOHANG) == pid_) {
            status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
            break;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return status_;
}

int Child_Process::Stop(int signal) {
    Signal(signal);
    const int status = Wait(std::chrono::seconds(5));
    if (status < 0) {
        Signal(SIGKILL);
        Wait(std::chrono::seconds(5));
    }
    return status;
}

void Child_Process::Signal(int signal) {
    if (status_ < 0 && pid_ > 0) {
        kill(pid_, signal);
    }
}

std::string Child_Process::First_Line(std::chrono::milliseconds limit) const {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        const std::string out = Out();
        if (const auto end = out.find('\n'); end != std::string::npos) {
            return out.substr(0, end);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return {};
}
