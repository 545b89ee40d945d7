#include "Port_Permission.h"

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

Port_Access Device_Access(const std::string& device) {
    struct stat status;
    if (::stat(device.c_str(), &status) != 0) {
        return Port_Access::Unknown;
    }
    // access() asks with the real user and groups, those of the login that started the program.
    return ::access(device.c_str(), R_OK | W_OK) == 0 ? Port_Access::Ok : Port_Access::Denied;
}

std::string Device_Group(const std::string& device) {
    struct stat status;
    if (::stat(device.c_str(), &status) != 0 ||
        (status.st_mode & (S_IRGRP | S_IWGRP)) != (S_IRGRP | S_IWGRP)) {
        return {};
    }
    const struct group* owner = ::getgrgid(status.st_gid);
    return owner ? owner->gr_name : std::to_string(status.st_gid);
}
