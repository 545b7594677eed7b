#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "TempDir.h"

namespace zorvane::simtest {

// zorvane-sim started in `cwd`, its stdout and stderr on pipes; killed if still running at
// destruction.
class SimProcess {
  public:
    SimProcess(const std::vector<std::string>& args, const std::string& cwd);
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    void Signal(int sig);
    // True while the process has not exited (reaps it when it has).
    bool Running();
    // Reads both pipes until the process closes them, then reaps it. False on timeout
    // (the process is then killed).
    bool Finish(std::chrono::milliseconds timeout);
    // Reads stderr until it holds `text`; false when the deadline passes first.
    bool WaitForStderr(const std::string& text, std::chrono::milliseconds timeout);

    pid_t pid() const { return pid_; }
    int exitStatus() const { return exitStatus_; }  // -1 unless it exited normally
    const std::string& out() const { return out_; }
    const std::string& err() const { return err_; }
    // Seconds of CPU the process has used so far (user + system).
    double CpuSeconds() const;

  private:
    bool Pump(std::chrono::milliseconds wait);
    bool Reap(int options);

    pid_t pid_ = -1;
    int outFd_ = -1;
    int errFd_ = -1;
    int exitStatus_ = -1;
    std::string out_;
    std::string err_;
};

// Runs zorvane-sim to the end (10 s at most) and returns the finished process.
struct SimResult {
    int exitStatus;
    std::string out;
    std::string err;
};
SimResult RunSim(const std::vector<std::string>& args, const std::string& cwd = "/tmp");

}  // namespace zorvane::simtest
