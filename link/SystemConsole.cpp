#include "SystemConsole.h"

#include <sys/stat.h>

#include <fstream>

namespace zorvane {

namespace {

void AddCharDevice(const std::string& path, std::vector<dev_t>& devices) {
    struct stat st {};
    // A console name without a device node cannot be reached through a path anyway.
    if (::stat(path.c_str(), &st) != 0 || !S_ISCHR(st.st_mode)) return;
    devices.push_back(st.st_rdev);
}

}  // namespace

std::vector<dev_t> ConsoleDevices(const std::string& activeList, const std::string& devDir) {
    std::vector<dev_t> devices;
    AddCharDevice(devDir + "/console", devices);
    // Without sysfs the list is unknown; /dev/console is still refused.
    std::ifstream list(activeList);
    std::string name;
    while (list >> name)
        AddCharDevice(devDir + "/" + name, devices);
    return devices;
}

}  // namespace zorvane
