#include "Child.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <thread>

extern char** environ;

namespace zorvane::e2e {

namespace {

using namespace std::chrono_literals;

constexpr auto kPollStep = 5ms;

std::vector<std::string> MergedEnvironment(const std::map<std::string, std::string>& extra) {
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        const std::string key = entry.substr(0, entry.find('='));
        if (extra.count(key) == 0) env.push_back(entry);
    }
    for (const auto& [key, value] : extra)
        env.push_back(key + "=" + value);
    return env;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
    std::vector<char*> ptrs;
    for (auto& s : strings)
        ptrs.push_back(s.data());
    ptrs.push_back(nullptr);
    return ptrs;
}

// Runs in the forked child: only async-signal-safe calls until exec.
[[noreturn]] void ExecChild(const ChildSpec& spec, pid_t parent, char* const* argv,
                            char* const* envp) {
    // A test killed by its time-out takes its server, program and transmitter with it.
    if (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || ::getppid() != parent) ::_exit(126);
    if (!spec.cwd.empty() && ::chdir(spec.cwd.c_str()) != 0) ::_exit(126);
    const int out = ::open(spec.outputFile.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (out < 0 || ::dup2(out, STDOUT_FILENO) < 0 || ::dup2(out, STDERR_FILENO) < 0) ::_exit(126);
    const int in = ::open("/dev/null", O_RDONLY);
    if (in < 0 || ::dup2(in, STDIN_FILENO) < 0) ::_exit(126);
    if (spec.inheritFd) {
        const int flags = ::fcntl(*spec.inheritFd, F_GETFD);
        if (flags < 0 || ::fcntl(*spec.inheritFd, F_SETFD, flags & ~FD_CLOEXEC) != 0) ::_exit(126);
    }
    ::execve(argv[0], argv, envp);
    ::_exit(127);
}

}  // namespace

Child::Child(const ChildSpec& spec) {
    std::vector<std::string> args = spec.argv;
    std::vector<std::string> env = MergedEnvironment(spec.env);
    std::vector<char*> argv = Pointers(args);
    std::vector<char*> envp = Pointers(env);
    const pid_t parent = ::getpid();
    pid_ = ::fork();
    if (pid_ == 0) ExecChild(spec, parent, argv.data(), envp.data());
}

Child::~Child() {
    Stop();
}

bool Child::Exited() {
    if (pid_ <= 0 || reaped_) return true;
    int status = 0;
    const pid_t r = ::waitpid(pid_, &status, WNOHANG);
    if (r == 0) return false;
    reaped_ = true;
    if (r == pid_ && WIFEXITED(status)) exitStatus_ = WEXITSTATUS(status);
    if (r == pid_ && WIFSIGNALED(status)) termSignal_ = WTERMSIG(status);
    return true;
}

bool Child::WaitExit(std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!Exited()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(kPollStep);
    }
    return true;
}

void Child::Stop(std::chrono::milliseconds grace) {
    if (Exited()) return;
    (void)::kill(pid_, SIGTERM);  // not reaped yet, so the id is still ours
    if (WaitExit(grace)) return;
    (void)::kill(pid_, SIGKILL);
    // SIGKILL cannot be refused; a bounded wait still guards against a stuck kernel call.
    (void)WaitExit(5s);
}

int RunToEnd(const ChildSpec& spec, std::chrono::milliseconds limit) {
    Child child(spec);
    if (!child.WaitExit(limit)) return -1;
    return child.ExitStatus().value_or(-1);
}

std::string FindInPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string dirs = path != nullptr ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= dirs.size()) {
        const std::size_t colon = dirs.find(':', start);
        const std::string dir = dirs.substr(start, colon - start);
        const std::string candidate = (dir.empty() ? "." : dir) + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
        if (colon == std::string::npos) break;
        start = colon + 1;
    }
    return {};
}

}  // namespace zorvane::e2e
