#include "X11Figure.h"

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "ChildProcess.h"
#include "LineSettings.h"
#include "XvfbServer.h"

namespace zorvane::bench {

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

// 57600 baud, 11 bits a character, 12 characters a frame.
constexpr auto kStartLimit = 10s;
// After the port opens: the first paints and the dialog going away are not the steady state.
constexpr auto kSettle = 1s;
constexpr int kNotFound = 127;  // the exit status of a child whose program was not found

// A temporary folder, removed with everything in it.
class WorkDir {
  public:
    WorkDir() {
        std::string pattern = fs::temp_directory_path() / "zorvane-x11-XXXXXX";
        if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    }
    ~WorkDir() {
        std::error_code ignored;  // a leftover temp dir is harmless
        if (!path_.empty()) fs::remove_all(path_, ignored);
    }
    const std::string& Path() const { return path_; }

  private:
    std::string path_;
};

struct Usage {
    Clock::time_point at;
    double cpuSeconds = 0;
    long voluntary = 0;
    long involuntary = 0;
};

// utime + stime of a process, all its threads, in seconds.
double CpuSeconds(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // The command name may hold spaces: the fields are counted after its closing parenthesis.
    const auto close = text.rfind(')');
    if (close == std::string::npos) return 0;
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    long ticks = 0;
    for (int n = 3; fields >> field && n <= 15; ++n)
        if (n == 14 || n == 15) ticks += std::stol(field);
    return static_cast<double>(ticks) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

Usage Sample(pid_t pid) {
    Usage u;
    u.at = Clock::now();
    u.cpuSeconds = CpuSeconds(pid);
    std::error_code ec;
    for (const auto& task : fs::directory_iterator("/proc/" + std::to_string(pid) + "/task", ec)) {
        std::ifstream status(task.path() / "status");
        std::string key;
        long value = 0;
        while (status >> key) {
            if (key == "voluntary_ctxt_switches:" && status >> value) u.voluntary += value;
            if (key == "nonvoluntary_ctxt_switches:" && status >> value) u.involuntary += value;
        }
    }
    return u;
}

// True once the program holds the simulator's terminal open.
bool HoldsOpen(pid_t pid, const fs::path& device) {
    std::error_code ec;
    for (const auto& fd : fs::directory_iterator("/proc/" + std::to_string(pid) + "/fd", ec)) {
        std::error_code gone;  // a descriptor closed meanwhile
        if (fs::read_symlink(fd.path(), gone) == device) return true;
    }
    return false;
}

bool WaitUntil(const auto& condition) {
    const auto deadline = Clock::now() + kStartLimit;
    while (!condition()) {
        if (Clock::now() > deadline) return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

double Percent(double cpuSeconds, Clock::duration wall) {
    return 100.0 * cpuSeconds / std::chrono::duration<double>(wall).count();
}

}  // namespace

X11Result MeasureX11LineRate(const X11Programs& programs,
                             const std::vector<std::string>& simulatorOptions,
                             std::chrono::milliseconds duration) {
    X11Result r;
    auto server = XvfbServer::Start(r.error);
    if (!server) return r;
    const WorkDir dir;
    if (dir.Path().empty()) {
        r.error = "cannot make a temporary directory";
        return r;
    }
    const fs::path link = fs::path(dir.Path()) / "COM1";
    fs::copy_file(programs.namesFile, fs::path(dir.Path()) / "names.ini");
    const auto env = X11Environment(server->Display());

    std::vector<std::string> simulatorArgv{programs.simulator, "--link", link};
    simulatorArgv.insert(simulatorArgv.end(), simulatorOptions.begin(), simulatorOptions.end());
    ChildProcess simulator(simulatorArgv, dir.Path(), env);
    std::error_code ec;
    if (!simulator.Valid() || !WaitUntil([&] { return fs::exists(link, ec); })) {
        r.error = "the simulator did not make " + link.string();
        return r;
    }
    ChildProcess monitor({programs.monitor}, dir.Path(), env);
    // Without a window manager the focus goes only where it is put. The key is sent to the
    // dialog, which is gone before its release follows: xdotool then fails, so success is
    // judged by the port opening.
    ChildProcess keys({"xdotool", "search", "--onlyvisible", "--sync", "--limit", "1", "--name",
                       "^Choose port$", "windowfocus", "--sync", "key", "Return"},
                      dir.Path(), env);
    if (keys.WaitForExit(kStartLimit) == kNotFound) {
        r.error = "xdotool not found";
        return r;
    }
    const fs::path device = fs::read_symlink(link, ec);
    if (!WaitUntil([&] { return HoldsOpen(monitor.Pid(), device); })) {
        r.error = "the port did not open: OK in \"Choose port\" not pressed?";
        return r;
    }
    // The key whose release never came would repeat 25 times a second, and the window would
    // handle each repeat as a key press. A person lets go of the key.
    ChildProcess({"xdotool", "keyup", "Return"}, dir.Path(), env).WaitForExit(kStartLimit);
    std::this_thread::sleep_for(kSettle);

    const Usage monitorBefore = Sample(monitor.Pid());
    const double serverBefore = CpuSeconds(server->Pid());
    std::this_thread::sleep_for(duration);
    const Usage monitorAfter = Sample(monitor.Pid());
    const double serverAfter = CpuSeconds(server->Pid());

    const auto wall = monitorAfter.at - monitorBefore.at;
    const double frames = kLineFramesPerSecond * std::chrono::duration<double>(wall).count();
    r.monitorCpuPercent = Percent(monitorAfter.cpuSeconds - monitorBefore.cpuSeconds, wall);
    r.serverCpuPercent = Percent(serverAfter - serverBefore, wall);
    r.voluntarySwitchesPerFrame =
        static_cast<double>(monitorAfter.voluntary - monitorBefore.voluntary) / frames;
    r.involuntarySwitchesPerFrame =
        static_cast<double>(monitorAfter.involuntary - monitorBefore.involuntary) / frames;
    return r;
}

}  // namespace zorvane::bench
