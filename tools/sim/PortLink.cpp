#include "PortLink.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace zorvane::sim {

namespace {

std::string ReadLink(const std::string& path) {
    char buf[4096];
    const ssize_t n = ::readlink(path.c_str(), buf, sizeof buf);
    return n > 0 ? std::string(buf, static_cast<std::size_t>(n)) : std::string();
}

}  // namespace

std::optional<PortLink> PortLink::Create(const std::string& path, const std::string& target,
                                         std::string& error) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
        error = path + " exists and is not a symbolic link; not replacing it (use --link)";
        return std::nullopt;
    }
    // Made under a private name and renamed: the link never points nowhere midway.
    const std::string temp = path + ".zorvane-sim-" + std::to_string(::getpid());
    ::unlink(temp.c_str());  // a leftover of an earlier run with our pid; usually absent
    if (::symlink(target.c_str(), temp.c_str()) != 0) {
        error = "cannot create the link " + path + ": " + std::strerror(errno);
        return std::nullopt;
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        error = "cannot create the link " + path + ": " + std::strerror(errno);
        ::unlink(temp.c_str());  // best effort; the message above is what matters
        return std::nullopt;
    }
    return PortLink(path, target);
}

PortLink::PortLink(PortLink&& other) noexcept
    : path_(std::exchange(other.path_, {})), target_(std::move(other.target_)) {}

PortLink::~PortLink() {
    // Another simulator may have taken the name over; its link is not ours to remove.
    if (!path_.empty() && ReadLink(path_) == target_) ::unlink(path_.c_str());
}

}  // namespace zorvane::sim
