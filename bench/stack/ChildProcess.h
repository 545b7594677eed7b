#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace zorvane::bench {

// A program run by the bench, with its output discarded, for as long as this lives: the
// destructor ends it (SIGTERM) and reaps it.
class ChildProcess {
  public:
    // Runs argv[0] (a path, or a name looked up in PATH) in `dir` with exactly `env`; Valid()
    // is false when fork failed.
    ChildProcess(const std::vector<std::string>& argv, const std::string& dir,
                 const std::vector<std::string>& env);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Valid() const { return pid_ > 0; }
    pid_t Pid() const { return pid_; }
    // Waits up to `limit` for the program to end by itself; its exit status, or -1.
    int WaitForExit(std::chrono::milliseconds limit);
    // Once WaitForExit saw it end: the CPU time it used, user and system.
    std::chrono::microseconds CpuTime() const { return cpu_; }

  private:
    pid_t pid_ = -1;
    bool reaped_ = false;
    std::chrono::microseconds cpu_{0};
};

// The bench's own environment.
std::vector<std::string> Environment();
// The bench's own environment for a Qt program on `display` (X11 platform, no Wayland).
std::vector<std::string> X11Environment(const std::string& display);

}  // namespace zorvane::bench
