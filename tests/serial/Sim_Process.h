#pragma once

#include <chrono>
#include <string>
#include <sys/types.h>
#include <vector>

// A module-sim child process on a pseudo-terminal: started with --pty and the given options, its
// device path read from the first line of its stdout.
class Sim_Process {
  public:
    explicit Sim_Process(const std::vector<std::string>& options);
    ~Sim_Process();
    Sim_Process(const Sim_Process&) = delete;
    Sim_Process& operator=(const Sim_Process&) = delete;

    const std::string& Device() const { return device_; }
    pid_t Pid() const { return pid_; }
    // Sends `signal` and waits (at most a few seconds) for the exit; the exit status, or -1.
    int Stop(int signal);
    // Waits for an exit the process takes by itself; -1 if it does not come within `limit`.
    int Wait_Exit(std::chrono::milliseconds limit);

  private:
    pid_t pid_ = -1;
    int out_ = -1;
    std::string device_;
};

// The PC's end of the line, opened with plain POSIX in raw mode.
class Raw_Port {
  public:
    explicit Raw_Port(const std::string& device);
    ~Raw_Port();
    Raw_Port(const Raw_Port&) = delete;
    Raw_Port& operator=(const Raw_Port&) = delete;

    bool Is_Open() const { return fd_ >= 0; }
    void Send(const std::string& bytes);
    // Everything that arrives within `window`.
    std::string Read_For(std::chrono::milliseconds window);
    // Reads until `count` bytes came or `limit` passed.
    std::string Read_Count(std::size_t count, std::chrono::milliseconds limit);
    // True when the line hangs up (end of file, I/O error or POLLHUP) within `limit`.
    bool Hang_Up_Within(std::chrono::milliseconds limit);

  private:
    int fd_ = -1;
};

// Frames of the protocol, built here independently of the link code.
std::string Bytes(std::initializer_list<int> values);
std::string With_Checksum(std::string frame);
std::string Write_Frame(unsigned address, const std::string& data);
std::string Read_File(const std::string& path);
