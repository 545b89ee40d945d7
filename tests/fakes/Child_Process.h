#pragma once

#include "Temp_Folder.h"

#include <chrono>
#include <string>
#include <sys/types.h>
#include <vector>

// A program run as a child, its stdout and stderr kept in files of a private folder; killed at
// the end if it still runs.
class Child_Process {
  public:
    Child_Process(const std::string& program, const std::vector<std::string>& args);
    ~Child_Process();
    Child_Process(const Child_Process&) = delete;
    Child_Process& operator=(const Child_Process&) = delete;

    // The exit status (128 + the signal when one ended it), or -1 when it did not end within
    // `limit`.
    int Wait(std::chrono::milliseconds limit);
    // Sends `signal` and waits for the exit, killing the child if it takes more than 5 seconds.
    int Stop(int signal);
    void Signal(int signal);
    pid_t Pid() const { return pid_; }
    std::string Out() const { return Read_File(folder_ / "out"); }
    std::string Err() const { return Read_File(folder_ / "err"); }
    // The first line of stdout, waited for at most `limit` ("" if none came).
    std::string First_Line(std::chrono::milliseconds limit) const;

  private:
    Temp_Folder folder_{"child"};
    pid_t pid_ = -1;
    int status_ = -1;
};

#ifdef MODULE_SIM_PATH
// module-sim on a pseudo-terminal, with the given options; Device is the path it printed.
struct Simulated_Unit {
    explicit Simulated_Unit(std::vector<std::string> options)
        : Process(MODULE_SIM_PATH, (options.insert(options.begin(), "--pty"), options)),
          Device(Process.First_Line(std::chrono::seconds(5))) {}
    Child_Process Process;
    std::string Device;
};
#endif
