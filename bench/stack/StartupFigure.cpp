#include "StartupFigure.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <poll.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <memory>

#include "ChildProcess.h"
#include "XvfbServer.h"

namespace zorvane::bench {

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr auto kRunLimit = std::chrono::seconds(15);
const char kMainTitle[] = "Zorvane";
const char kDialogTitle[] = "Choose port";

struct DisplayCloser {
    void operator()(Display* d) const { XCloseDisplay(d); }
};
using DisplayPtr = std::unique_ptr<Display, DisplayCloser>;

// The title as Qt sets it: _NET_WM_NAME (UTF-8), else WM_NAME.
std::string WindowTitle(Display* d, Window w) {
    for (const char* name : {"_NET_WM_NAME", "WM_NAME"}) {
        Atom type = None;
        int format = 0;
        unsigned long items = 0;
        unsigned long after = 0;
        unsigned char* data = nullptr;
        const Atom property = XInternAtom(d, name, False);
        if (XGetWindowProperty(d, w, property, 0, 256, False, AnyPropertyType, &type, &format,
                               &items, &after, &data) == Success &&
            data != nullptr) {
            std::string title(reinterpret_cast<char*>(data), items);
            XFree(data);
            if (!title.empty()) return title;
        }
    }
    return {};
}

// A window can be gone by the time we ask for its title; that is no reason to end the bench
// (Xlib's default handler exits the process).
int IgnoreXError(Display*, XErrorEvent*) {
    return 0;
}

double MillisSince(Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

// Waits for both windows to be mapped; whichever does not come stays at -1.
void WatchMaps(Display* d, Clock::time_point started, StartupRun& run) {
    while ((run.windowMs < 0 || run.dialogMs < 0) && Clock::now() - started < kRunLimit) {
        while (XPending(d) > 0) {
            XEvent event;
            XNextEvent(d, &event);
            if (event.type != MapNotify) continue;
            const double ms = MillisSince(started);
            const std::string title = WindowTitle(d, event.xmap.window);
            // The title names the port once one is open: "Zorvane — COM1 (/dev/ttyUSB0)".
            const bool isMain =
                title == kMainTitle || title.starts_with(kMainTitle + std::string(" — "));
            if (isMain && run.windowMs < 0) run.windowMs = ms;
            if (title == kDialogTitle && run.dialogMs < 0) run.dialogMs = ms;
        }
        pollfd p{ConnectionNumber(d), POLLIN, 0};
        (void)::poll(&p, 1, 5);  // a time-out just means: look again
    }
}

// A directory where the program finds its names and where every port name is a dead link.
std::string MakeWorkDir(const std::string& namesFile) {
    std::string pattern = fs::temp_directory_path() / "zorvane-startup-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) return {};
    const fs::path dir = pattern;
    if (!namesFile.empty()) fs::copy_file(namesFile, dir / "names.ini");
    for (int n = 1; n <= 4; ++n)
        fs::create_symlink("/nonexistent/zorvane-bench-port", dir / ("COM" + std::to_string(n)));
    return dir;
}

}  // namespace

StartupResult MeasureStartup(const std::string& program, const std::string& namesFile, int runs) {
    StartupResult result;
    auto server = XvfbServer::Start(result.error);
    if (!server) return result;
    DisplayPtr display(XOpenDisplay(server->Display().c_str()));
    if (!display) {
        result.error = "cannot connect to Xvfb on " + server->Display();
        return result;
    }
    Display* d = display.get();
    XSetErrorHandler(&IgnoreXError);
    XSelectInput(d, DefaultRootWindow(d), SubstructureNotifyMask);
    XSync(d, False);
    const std::string dir = MakeWorkDir(namesFile);
    if (dir.empty()) {
        result.error = "cannot make a temporary directory";
        return result;
    }
    const auto env = X11Environment(server->Display());
    for (int i = 0; i < runs; ++i) {
        StartupRun run;
        const auto started = Clock::now();
        {
            ChildProcess child({program}, dir, env);
            if (!child.Valid()) {
                result.error = "fork failed";
                break;
            }
            WatchMaps(d, started, run);
        }
        XSync(d, True);  // drop the events of this run's windows going away
        result.runs.push_back(run);
    }
    std::error_code ignored;  // a leftover temp dir is harmless
    fs::remove_all(dir, ignored);
    return result;
}

}  // namespace zorvane::bench
