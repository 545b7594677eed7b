#include "ProcessFds.h"

#include <dirent.h>
#include <unistd.h>

namespace zorvane::e2e {

bool Holds(pid_t pid, const std::string& path) {
    const std::string fdDir = "/proc/" + std::to_string(pid) + "/fd";
    DIR* dir = ::opendir(fdDir.c_str());
    if (dir == nullptr) return false;
    bool found = false;
    while (const dirent* entry = ::readdir(dir)) {
        char target[512] = {};
        const std::string link = fdDir + "/" + entry->d_name;
        if (::readlink(link.c_str(), target, sizeof target - 1) > 0 && path == target) found = true;
    }
    (void)::closedir(dir);  // read-only directory stream: nothing to lose
    return found;
}

}  // namespace zorvane::e2e
