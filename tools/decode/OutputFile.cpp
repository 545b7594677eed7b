#include "OutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "UniqueFd.h"

namespace zorvane {

namespace {

bool Say(const std::string& what, int error) {
    std::fprintf(stderr, "zorvane-decode: cannot write %s: %s\n", what.c_str(),
                 std::strerror(error));
    return false;
}

// The mode a new file gets from open(2).
mode_t NewFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);  // read and put back before any thread runs
    return 0666 & ~mask;
}

}  // namespace

OutputFile::~OutputFile() {
    if (!beside_.empty()) (void)::unlink(beside_.c_str());  // gone already is as good
}

bool OutputFile::Open(const std::string& target) {
    target_ = target;
    struct stat st {};
    const bool exists = ::stat(target.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) {
        if (std::freopen(target.c_str(), "w", stdout)) return true;
        return Say(target, errno);
    }
    if (exists) {
        char real[PATH_MAX];
        if (::realpath(target.c_str(), real)) target_ = real;
    }
    const std::size_t slash = target_.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : target_.substr(0, slash + 1);
    const std::string name = target_.substr(slash == std::string::npos ? 0 : slash + 1);
    std::string beside = folder + "." + name + ".XXXXXX";
    const UniqueFd file(::mkostemp(beside.data(), O_CLOEXEC));
    if (!file.Valid()) return Say(target, errno);
    beside_ = beside;
    // As the target had, or as a new file would have; else 0600, which is still the user's.
    (void)::fchmod(file.Get(), exists ? st.st_mode & 07777 : NewFileMode());
    std::fflush(stdout);
    return ::dup2(file.Get(), STDOUT_FILENO) >= 0 || Say(target, errno);
}

bool OutputFile::Commit() {
    if (beside_.empty()) return true;
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) return Say("output", errno);
    // On the disk before it replaces anything: a crash must not leave an empty file instead.
    if (::fdatasync(STDOUT_FILENO) != 0 && errno != EINVAL) return Say(target_, errno);
    if (::rename(beside_.c_str(), target_.c_str()) != 0) return Say(target_, errno);
    beside_.clear();
    return true;
}

bool OutputFile::IsOneOf(const std::string& output, const std::vector<std::string>& inputs) {
    struct stat out {};
    const bool exists = ::stat(output.c_str(), &out) == 0;
    for (const std::string& input : inputs) {
        if (input == "-" || output == "-") continue;  // standard input is never standard output
        if (input == output) return true;
        struct stat in {};
        if (exists && ::stat(input.c_str(), &in) == 0 && in.st_dev == out.st_dev &&
            in.st_ino == out.st_ino)
            return true;
    }
    return false;
}

}  // namespace zorvane
