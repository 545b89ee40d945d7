#pragma once

#include <chrono>
#include <string>
#include <sys/types.h>
#include <vector>

// A program run as a child, its stdout and stderr kept in files of a private folder.
class Child_Process {
  public:
    Child_Process(const std::string& program, const std::vector<std::string>& args);
    ~Child_Process();
    Child_Process(const Child_Process&) = delete;
    Child_Process& operator=(const Child_Process&) = delete;

    // The exit status, or -1 when it did not end within `limit` (it is then killed).
    int Wait(std::chrono::milliseconds limit);
    void Signal(int signal);
    std::string Out() const;
    std::string Err() const;
    // The first line of stdout, waited for at most `limit` ("" if none came).
    std::string First_Line(std::chrono::milliseconds limit) const;

  private:
    pid_t pid_ = -1;
    int status_ = -1;
    std::string folder_;
};

std::string Read_File(const std::string& path);
std::string Temp_Folder();
