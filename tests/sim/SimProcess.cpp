#include "SimProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace zorvane::simtest {

namespace {

using Clock = std::chrono::steady_clock;

void CloseFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

}  // namespace

SimProcess::SimProcess(const std::vector<std::string>& args, const std::string& cwd) {
    int out[2];
    int err[2];
    if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    std::vector<std::string> argv{ZORVANE_SIM_BIN};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> cargv;
    for (auto& a : argv)
        cargv.push_back(a.data());
    cargv.push_back(nullptr);
    pid_ = ::fork();
    if (pid_ == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::dup2(err[1], STDERR_FILENO);
        if (::chdir(cwd.c_str()) != 0) ::_exit(126);
        ::execv(cargv[0], cargv.data());
        ::_exit(127);
    }
    ::close(out[1]);
    ::close(err[1]);
    outFd_ = out[0];
    errFd_ = err[0];
}

SimProcess::~SimProcess() {
    if (pid_ > 0 && exitStatus_ == -1) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    CloseFd(outFd_);
    CloseFd(errFd_);
}

void SimProcess::Signal(int sig) {
    ::kill(pid_, sig);
}

bool SimProcess::Reap(int options) {
    int status = 0;
    if (exitStatus_ != -1) return true;
    if (::waitpid(pid_, &status, options) != pid_) return false;
    exitStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return true;
}

bool SimProcess::Running() {
    return !Reap(WNOHANG);
}

bool SimProcess::Pump(std::chrono::milliseconds wait) {
    pollfd fds[2] = {{outFd_, POLLIN, 0}, {errFd_, POLLIN, 0}};
    if (::poll(fds, 2, static_cast<int>(wait.count())) <= 0) return false;
    std::string* sinks[2] = {&out_, &err_};
    int* fdRefs[2] = {&outFd_, &errFd_};
    for (int i = 0; i < 2; ++i) {
        if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP))) continue;
        char buf[65536];
        const ssize_t n = ::read(fds[i].fd, buf, sizeof buf);
        if (n > 0)
            sinks[i]->append(buf, static_cast<std::size_t>(n));
        else if (n == 0 || errno != EINTR)
            CloseFd(*fdRefs[i]);
    }
    return true;
}

bool SimProcess::Finish(std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while ((outFd_ >= 0 || errFd_ >= 0) && Clock::now() < deadline)
        Pump(std::chrono::milliseconds(20));
    while (Clock::now() < deadline) {
        if (Reap(WNOHANG)) return true;
        ::usleep(5000);
    }
    return false;
}

bool SimProcess::WaitForStderr(const std::string& text, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (err_.find(text) == std::string::npos) {
        if (Clock::now() >= deadline || errFd_ < 0) return false;
        Pump(std::chrono::milliseconds(20));
    }
    return true;
}

double SimProcess::CpuSeconds() const {
    std::ifstream stat("/proc/" + std::to_string(pid_) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    // Fields after the parenthesised command name; utime and stime are fields 14 and 15.
    std::istringstream rest(text.substr(text.rfind(')') + 2));
    std::string field;
    double ticks = 0;
    for (int i = 3; i <= 15 && rest >> field; ++i)
        if (i >= 14) ticks += std::stod(field);
    return ticks / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

SimResult RunSim(const std::vector<std::string>& args, const std::string& cwd) {
    SimProcess p(args, cwd);
    p.Finish(std::chrono::seconds(10));
    return {p.exitStatus(), p.out(), p.err()};
}

}  // namespace zorvane::simtest
