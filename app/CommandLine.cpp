#include "CommandLine.h"

#include <string>

#include "ProgramOptions.h"

namespace zorvane {

namespace {

constexpr const char* kHelp =
    "Usage: zorvane [-h | --help | --version]\n"
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
    "  -h, --help     this text\n"
    "      --version  the version\n"
    "\n"
    "See zorvane(1).\n";

}  // namespace

std::optional<int> HandleCommandLine(int argc, char** argv) {
    static const option kOptions[] = {{"help", no_argument, nullptr, 'h'},
                                      {"version", no_argument, nullptr, 'V'},
                                      {nullptr, 0, nullptr, 0}};
    const Program program{"zorvane", kHelp};
    const ReadOptionsResult read =
        ReadOptions(program, argc, argv, "h", kOptions, [](int, const char*) { return ""; });
    if (read.exit) return read.exit;
    if (read.firstOperand < argc)
        return UsageError(program, "unexpected argument '" + std::string(argv[read.firstOperand]) +
                                       "': ports are chosen in the window");
    return std::nullopt;
}

}  // namespace zorvane
