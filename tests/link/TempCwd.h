#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

namespace zorvane::test {

// A fresh temporary directory that is the current directory while this lives, so every COMn
// a test opens is a link in it. Aborts rather than run on in the wrong directory: there a port
// name could map to a /dev/ttyS* device.
class TempCwd {
  public:
    TempCwd() {
        std::string pattern = (std::filesystem::temp_directory_path() / "zorvane-link-XXXXXX");
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        path_ = pattern;
        previous_ = std::filesystem::current_path();
        if (::chdir(path_.c_str()) != 0) std::abort();
    }
    ~TempCwd() {
        // Back first, so nothing is left pointing into the removed directory.
        if (::chdir(previous_.c_str()) != 0) std::abort();
        std::error_code ignored;  // a leftover temp dir is no reason to fail a test
        std::filesystem::remove_all(path_, ignored);
    }
    TempCwd(const TempCwd&) = delete;
    TempCwd& operator=(const TempCwd&) = delete;

    const std::string& Path() const { return path_; }

    // ./<name> -> target (which need not exist).
    void Link(const std::string& name, const std::string& target) const {
        std::filesystem::create_symlink(target, path_ + "/" + name);
    }

  private:
    std::string path_;
    std::string previous_;
};

}  // namespace zorvane::test
