#include "CommandLine.h"

#include <cstdio>
#include <string_view>

namespace zorvane {

namespace {

constexpr const char* kHelp =
    "Usage: zorvane [--help | --version]\n"
    "Shows the Vorlan's serial status line: 64 lamps (40 PLC and 24 RT7720 signals) with\n"
    "their names, the frame bytes as hex, and a link indicator that turns red with\n"
    "\"Vorlan nevysílá\" when 40 ms pass without a frame. The line runs at 57600 baud, 8O1.\n"
    "\n"
    "The port is chosen in the \"Choose port\" dialog: a USB adapter or built-in serial port\n"
    "found on this machine (opened by its stable /dev/serial/by-id/... name), or COM1 to COM4.\n"
    "COMn is ./COMn in the current folder when it exists (typically a link to\n"
    "/dev/serial/by-id/...), otherwise /dev/ttyS<n-1>. The port opened last is offered first\n"
    "next time (~/.config/zorvane/zorvane.conf). The lamp names come from ./names.ini in the\n"
    "current folder.\n"
    "\n"
    "While a port is open, every change the window shows is recorded, one file a day, in\n"
    "~/.local/state/zorvane/YYYY-MM-DD.log ($XDG_STATE_HOME); \"enabled=false\" under [record]\n"
    "in the settings file turns that off. zorvane-decode(1) reads it back.\n"
    "\n"
    "  --help     this text\n"
    "  --version  the version\n"
    "\n"
    "See zorvane(1).\n";

// A full disk or a closed pipe must not pass as success.
int Print(const char* text) {
    return std::fputs(text, stdout) >= 0 && std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace

std::optional<int> HandleCommandLine(int argc, char** argv) {
    if (argc < 2) return std::nullopt;
    const std::string_view first = argv[1];
    if (argc == 2 && first == "--help") return Print(kHelp);
    if (argc == 2 && first == "--version") return Print("zorvane " ZORVANE_VERSION "\n");
    // --help and --version stand alone: with more after them, the next argument is the wrong one.
    const char* wrong = first == "--help" || first == "--version" ? argv[2] : argv[1];
    std::fprintf(stderr,
                 "zorvane: unexpected argument '%s': ports are chosen in the window; "
                 "see zorvane --help\n",
                 wrong);
    return 2;
}

}  // namespace zorvane
