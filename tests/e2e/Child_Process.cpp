#include "Child_Process.h"

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

std::string Read_File(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::string Temp_Folder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vantrel-e2e-XXXXXX").string();
    return mkdtemp(pattern.data()) ? pattern : std::string();
}

Child_Process::Child_Process(const std::string& program, const std::vector<std::string>& args)
    : folder_(Temp_Folder()) {
    const std::string out = folder_ + "/out";
    const std::string err = folder_ + "/err";
    pid_ = fork();
    if (pid_ == 0) {
        const int out_fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err_fd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(out_fd, STDOUT_FILENO);
        dup2(err_fd, STDERR_FILENO);
        const int null_fd = open("/dev/null", O_RDONLY);
        dup2(null_fd, STDIN_FILENO);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const auto& arg : args) {
            argv.push_back(const_cast<char*>(arg.c_str()));
        }
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
}

Child_Process::~Child_Process() {
    if (pid_ > 0 && status_ < 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    std::filesystem::remove_all(folder_);
}

int Child_Process::Wait(std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (status_ < 0) {
        int raw = 0;
        const pid_t done = waitpid(pid_, &raw, WNOHANG);
        if (done == pid_) {
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

void Child_Process::Signal(int signal) {
    if (status_ < 0) {
        kill(pid_, signal);
    }
}

std::string Child_Process::Out() const {
    return Read_File(folder_ + "/out");
}
std::string Child_Process::Err() const {
    return Read_File(folder_ + "/err");
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
