#pragma once

#include <sys/types.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace zorvane::e2e {

// What to start: the program and its arguments, where, and what it sees.
struct ChildSpec {
    std::vector<std::string> argv;
    std::string cwd;                         // empty: the test's own
    std::map<std::string, std::string> env;  // added to (or replacing in) the test's environment
    std::string outputFile = "/dev/null";    // stdout and stderr, appended
    std::optional<int> inheritFd;            // kept open across exec under the same number
};

// A process the test started. Destroying it ends the process (SIGTERM, then SIGKILL) and reaps
// it, so nothing outlives a failing test.
class Child {
  public:
    explicit Child(const ChildSpec& spec);
    ~Child();
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    pid_t Pid() const { return pid_; }
    bool Started() const { return pid_ > 0; }
    // True once the process has ended (reaped here).
    bool Exited();
    // Waits in short steps until the process ends; false when `limit` passes first.
    bool WaitExit(std::chrono::milliseconds limit);
    // Exit status when it ended normally; nullopt when it was killed by a signal or still runs.
    std::optional<int> ExitStatus() const { return exitStatus_; }
    int TermSignal() const { return termSignal_; }
    // SIGTERM, a grace period, then SIGKILL; always reaps.
    void Stop(std::chrono::milliseconds grace = std::chrono::milliseconds(2000));

  private:
    pid_t pid_ = -1;
    bool reaped_ = false;
    std::optional<int> exitStatus_;
    int termSignal_ = 0;
};

// Runs a short command to its end (killed after `limit`); its exit status, or -1.
int RunToEnd(const ChildSpec& spec, std::chrono::milliseconds limit);

// Full path of `name` found in PATH, or empty.
std::string FindInPath(const std::string& name);

}  // namespace zorvane::e2e
