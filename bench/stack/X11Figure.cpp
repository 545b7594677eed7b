#include "X11Figure.h"

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
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

// utime + stime of a process, all its threads, in seconds: counted in clock ticks.
double TickedCpuSeconds(pid_t pid) {
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

// The time a process, all its threads, spent on a CPU, in seconds. The scheduler's own count
// is exact to the nanosecond; ticks (10 ms) would leave the decoder at a fraction of a percent
// with a dozen of them in a run.
double CpuSeconds(pid_t pid) {
    std::error_code ec;
    long long nanoseconds = 0;
    bool counted = false;
    for (const auto& task : fs::directory_iterator("/proc/" + std::to_string(pid) + "/task", ec)) {
        std::ifstream schedstat(task.path() / "schedstat");
        long long onCpu = 0;
        if (schedstat >> onCpu) {
            nanoseconds += onCpu;
            counted = true;
        }
    }
    return counted ? static_cast<double>(nanoseconds) / 1e9 : TickedCpuSeconds(pid);
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

// The simulator serving `link` with `options`; false (with `error`) when the link never came.
bool StartSimulator(const X11Programs& programs, const std::vector<std::string>& options,
                    const WorkDir& dir, const std::vector<std::string>& env,
                    std::unique_ptr<ChildProcess>& simulator, std::string& error) {
    const fs::path link = fs::path(dir.Path()) / "COM1";
    std::vector<std::string> argv{programs.simulator, "--link", link};
    argv.insert(argv.end(), options.begin(), options.end());
    simulator = std::make_unique<ChildProcess>(argv, dir.Path(), env);
    std::error_code ec;
    if (simulator->Valid() && WaitUntil([&] { return fs::exists(link, ec); })) return true;
    error = "the simulator did not make " + link.string();
    return false;
}

// Sets the program's figures from /proc over `duration` (a settling second first); the
// server's too when there is one.
void Measure(pid_t program, pid_t server, std::chrono::milliseconds duration, X11Result& r) {
    std::this_thread::sleep_for(kSettle);
    const Usage before = Sample(program);
    const double serverBefore = server > 0 ? CpuSeconds(server) : 0;
    std::this_thread::sleep_for(duration);
    const Usage after = Sample(program);
    const double serverAfter = server > 0 ? CpuSeconds(server) : 0;

    const auto wall = after.at - before.at;
    const double frames = kLineFramesPerSecond * std::chrono::duration<double>(wall).count();
    r.monitorCpuPercent = Percent(after.cpuSeconds - before.cpuSeconds, wall);
    r.serverCpuPercent = Percent(serverAfter - serverBefore, wall);
    r.voluntarySwitchesPerFrame = static_cast<double>(after.voluntary - before.voluntary) / frames;
    r.involuntarySwitchesPerFrame =
        static_cast<double>(after.involuntary - before.involuntary) / frames;
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
    fs::copy_file(programs.namesFile, fs::path(dir.Path()) / "names.ini");
    const auto env = X11Environment(server->Display());
    std::unique_ptr<ChildProcess> simulator;
    if (!StartSimulator(programs, simulatorOptions, dir, env, simulator, r.error)) return r;
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
    std::error_code ec;
    const fs::path device = fs::read_symlink(fs::path(dir.Path()) / "COM1", ec);
    if (!WaitUntil([&] { return HoldsOpen(monitor.Pid(), device); })) {
        r.error = "the port did not open: OK in \"Choose port\" not pressed?";
        return r;
    }
    // The key whose release never came would repeat 25 times a second, and the window would
    // handle each repeat as a key press. A person lets go of the key.
    ChildProcess({"xdotool", "keyup", "Return"}, dir.Path(), env).WaitForExit(kStartLimit);
    Measure(monitor.Pid(), server->Pid(), duration, r);
    return r;
}

X11Result MeasureDecoderAlone(const X11Programs& programs,
                              const std::vector<std::string>& simulatorOptions,
                              std::chrono::milliseconds duration) {
    X11Result r;
    const WorkDir dir;
    if (dir.Path().empty()) {
        r.error = "cannot make a temporary directory";
        return r;
    }
    const auto env = Environment();
    std::unique_ptr<ChildProcess> simulator;
    if (!StartSimulator(programs, simulatorOptions, dir, env, simulator, r.error)) return r;
    ChildProcess decoder({programs.decoder, "--device", "COM1"}, dir.Path(), env);
    std::error_code ec;
    const fs::path device = fs::read_symlink(fs::path(dir.Path()) / "COM1", ec);
    if (!WaitUntil([&] { return HoldsOpen(decoder.Pid(), device); })) {
        r.error = "zorvane-decode did not open the port";
        return r;
    }
    Measure(decoder.Pid(), 0, duration, r);
    return r;
}

}  // namespace zorvane::bench
