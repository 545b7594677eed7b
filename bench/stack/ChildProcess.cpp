#include "ChildProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

extern char** environ;

namespace zorvane::bench {

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const std::string& dir,
                           const std::vector<std::string>& env) {
    // Everything the child needs is built before fork: after it, only exec-safe calls.
    std::vector<char*> args;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    std::vector<char*> envp;
    for (const auto& e : env)
        envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    pid_ = ::fork();
    if (pid_ == 0) {
        const int null = ::open("/dev/null", O_RDWR);
        (void)::dup2(null, STDOUT_FILENO);  // a child that cannot be quietened still runs
        (void)::dup2(null, STDERR_FILENO);
        if (::chdir(dir.c_str()) != 0) ::_exit(126);  // never run in the wrong directory
        ::execvpe(args[0], args.data(), envp.data());
        ::_exit(127);
    }
}

ChildProcess::~ChildProcess() {
    if (pid_ <= 0 || reaped_) return;
    (void)::kill(pid_, SIGTERM);  // already gone is fine
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
}

int ChildProcess::WaitForExit(std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (pid_ > 0 && !reaped_) {
        int status = 0;
        rusage usage{};
        const pid_t done = ::wait4(pid_, &status, WNOHANG, &usage);
        if (done == pid_) {
            reaped_ = true;
            using std::chrono::seconds, std::chrono::microseconds;
            for (const timeval& t : {usage.ru_utime, usage.ru_stime})
                cpu_ += seconds(t.tv_sec) + microseconds(t.tv_usec);
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        if (done < 0 && errno != EINTR) return -1;
        if (std::chrono::steady_clock::now() > deadline) return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return -1;
}

std::vector<std::string> Environment() {
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e)
        env.emplace_back(*e);
    return env;
}

std::vector<std::string> X11Environment(const std::string& display) {
    std::vector<std::string> env = Environment();
    std::erase_if(env, [](const std::string& entry) {
        return entry.starts_with("DISPLAY=") || entry.starts_with("QT_QPA_PLATFORM=") ||
               entry.starts_with("WAYLAND_DISPLAY=");
    });
    env.push_back("DISPLAY=" + display);
    env.push_back("QT_QPA_PLATFORM=xcb");
    return env;
}

}  // namespace zorvane::bench
