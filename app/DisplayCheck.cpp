#include "DisplayCheck.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace zorvane {

namespace {

QtMessageHandler g_previous = nullptr;  // Qt's handlers are plain functions

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

void SayNoDisplay(const std::string& why) {
    std::fprintf(stderr, "zorvane: no display to show the window on: %s\n", why.c_str());
}

// The display the variable names could not be used, or it names none.
std::string Tried(const char* name) {
    const std::string value = Variable(name);
    return std::string(name) + (value.empty() ? " is not set" : "=" + value + " could not be used");
}

void EndOnFatal(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type != QtFatalMsg) return g_previous(type, context, message);
    SayNoDisplay(Tried("DISPLAY") + "; " + Tried("WAYLAND_DISPLAY"));
    std::_Exit(1);  // nothing is made yet that would need taking down
}

}  // namespace

std::optional<int> RefuseWithoutDisplay() {
    const std::string platform = Variable("QT_QPA_PLATFORM");
    const bool needsDisplay =
        platform.empty() || platform.starts_with("xcb") || platform.starts_with("wayland");
    if (!needsDisplay || !Variable("DISPLAY").empty() || !Variable("WAYLAND_DISPLAY").empty())
        return std::nullopt;
    SayNoDisplay(
        "neither DISPLAY nor WAYLAND_DISPLAY is set (start it in a desktop session, or "
        "over ssh -X)");
    return 1;
}

DisplayFailureGuard::DisplayFailureGuard() : previous_(qInstallMessageHandler(EndOnFatal)) {
    g_previous = previous_;
}

DisplayFailureGuard::~DisplayFailureGuard() {
    qInstallMessageHandler(previous_);
}

}  // namespace zorvane
