#include "Posix_Port_Registration.h"

#include "Atomic_File.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <signal.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* Name_Prefix = "sim-";

bool Usable_Folder(const std::string& path, bool create) {
    if (create) {
        ::mkdir(path.c_str(), 0700);
    }
    struct stat info {};
    // lstat: a symbolic link planted in /tmp by someone else must not redirect the registrations.
    if (::lstat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid()) {
        return false;
    }
    return ::access(path.c_str(), R_OK | W_OK | X_OK) == 0;
}

struct Process_Status {
    bool Known = false; // false where /proc is not there to ask
    bool Zombie = false;
    std::string Start_Time; // field 22: tells a process from a later one that got the same pid
};

Process_Status Read_Process_Status(long pid) {
    Process_Status status;
    std::ifstream stat_file("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    const auto name_end = std::getline(stat_file, line) ? line.rfind(')') : std::string::npos;
    if (name_end == std::string::npos) {
        return status;
    }
    std::istringstream fields(line.substr(name_end + 1));
    std::string field;
    for (int index = 3; index <= 22 && fields >> field; ++index) {
        if (index == 3) {
            status.Zombie = field == "Z" || field == "X";
        } else if (index == 22) {
            status.Known = true;
            status.Start_Time = field;
        }
    }
    return status;
}

bool Process_Alive(long pid, const std::string& start_time) {
    if (pid <= 0 || (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)) {
        return false;
    }
    const Process_Status status = Read_Process_Status(pid);
    return !status.Known ||
           (!status.Zombie && (start_time.empty() || status.Start_Time == start_time));
}

bool Device_Exists(const std::string& device) {
    struct stat info {};
    return ::stat(device.c_str(), &info) == 0 && S_ISCHR(info.st_mode);
}

// "sim-<pid>-<device>": the pid, or 0 when the name is not a registration.
long Pid_From_Name(const std::string& name) {
    if (name.rfind(Name_Prefix, 0) != 0) {
        return 0;
    }
    const std::string rest = name.substr(std::char_traits<char>::length(Name_Prefix));
    char* end = nullptr;
    const long pid = std::strtol(rest.c_str(), &end, 10);
    return (end != rest.c_str() && *end == '-') ? pid : 0;
}

std::string Name_For(const std::string& device) {
    std::string tail = device.rfind("/dev/", 0) == 0 ? device.substr(5) : device;
    for (char& c : tail) {
        if (!std::isalnum(static_cast<unsigned char>(c))) {
            c = '-';
        }
    }
    return Name_Prefix + std::to_string(::getpid()) + "-" + tail;
}

} // namespace

std::string Registration_Folder(bool create) {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        runtime != nullptr && *runtime != '\0' && ::access(runtime, W_OK | X_OK) == 0) {
        const std::string folder = std::string(runtime) + "/vantrel-ports";
        if (Usable_Folder(folder, create)) {
            return folder;
        }
    }
    const std::string folder = "/tmp/vantrel-ports-" + std::to_string(::getuid());
    return Usable_Folder(folder, create) ? folder : std::string();
}

std::vector<Registered_Port> Registered_Ports() {
    std::vector<Registered_Port> units;
    const std::string folder = Registration_Folder(false);
    if (folder.empty()) {
        return units;
    }
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        return units;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        const long pid = Pid_From_Name(name);
        if (pid == 0) {
            continue;
        }
        const std::string path = folder + "/" + name;
        std::ifstream file(path);
        std::string device;
        std::string start_time;
        std::getline(file, device);
        std::getline(file, start_time);
        if (device.empty() || !Process_Alive(pid, start_time) || !Device_Exists(device)) {
            ::unlink(path.c_str());
            continue;
        }
        units.push_back({name, device, pid});
    }
    ::closedir(dir);
    return units;
}

std::string Register_Simulated_Port(const std::string& device) {
    const std::string folder = Registration_Folder(true);
    if (folder.empty()) {
        return {};
    }
    const std::string name = Name_For(device);
    const std::string path = folder + "/" + name;
    // Written aside and renamed, so a listing never reads half an entry.
    const std::string entry = device + '\n' + Read_Process_Status(::getpid()).Start_Time + '\n';
    if (Write_File_Atomically(path, entry).Failed()) {
        return {};
    }
    return path;
}

void Unregister_Simulated_Port(const std::string& registration) {
    if (!registration.empty()) {
        ::unlink(registration.c_str());
    }
}
