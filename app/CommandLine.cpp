#include "CommandLine.h"

#include <string>

#include "ProgramOptions.h"

namespace zorvane {

namespace {

constexpr const char* kHelp =
    "Usage: zorvane [--names FILE] [PORT]\n"
    "       zorvane -h | --help | --version\n"
    "Shows the Vorlan's serial status line: 64 lamps (40 PLC and 24 RT7720 signals) with\n"
    "their names, the frame bytes as hex, and a link indicator that turns red with\n"
    "\"Vorlan nevysílá\" when 40 ms pass without a frame. The line runs at 57600 baud, 8O1.\n"
    "\n"
    "The port is PORT, opened at once, or the one chosen in the \"Choose port\" dialog: a USB\n"
    "adapter or built-in serial port found on this machine (opened by its stable\n"
    "/dev/serial/by-id/... name), or COM1 to COM4. COMn is ./COMn in the current folder when it\n"
    "exists (typically a link to /dev/serial/by-id/...), otherwise /dev/ttyS<n-1>. When PORT\n"
    "cannot be opened, the dialog follows. The port opened last is offered first next time\n"
    "(~/.config/zorvane/zorvane.conf). The lamp names come from ./names.ini in the current\n"
    "folder, or from FILE.\n"
    "\n"
    "While a port is open, every change the window shows is recorded, one file a day, in\n"
    "~/.local/state/zorvane/YYYY-MM-DD.log ($XDG_STATE_HOME); \"enabled=false\" under [record]\n"
    "in the settings file turns that off. zorvane-decode(1) reads it back.\n"
    "\n"
    "      --names FILE  the lamp names from FILE instead of ./names.ini\n"
    "  -h, --help        this text\n"
    "      --version     the version\n"
    "\n"
    "For a desktop launcher of one line: Exec=zorvane --names /path/line7.ini\n"
    "/dev/serial/by-id/usb-...\n"
    "\n"
    "See zorvane(1).\n";

}  // namespace

std::optional<int> HandleCommandLine(int argc, char** argv, MonitorArguments& arguments) {
    static const option kOptions[] = {{"names", required_argument, nullptr, 'n'},
                                      {"help", no_argument, nullptr, 'h'},
                                      {"version", no_argument, nullptr, 'V'},
                                      {nullptr, 0, nullptr, 0}};
    const Program program{"zorvane", kHelp};
    const auto take = [&arguments](int, const char* value) -> std::string {
        arguments.namesFile = value;  // --names, the one option with a value
        return arguments.namesFile.empty() ? "--names needs a file" : "";
    };
    const ReadOptionsResult read = ReadOptions(program, argc, argv, "h", kOptions, take);
    if (read.exit) return read.exit;
    if (argc - read.firstOperand > 1)
        return UsageError(program, "unexpected argument '" +
                                       std::string(argv[read.firstOperand + 1]) +
                                       "': one PORT at most");
    if (read.firstOperand < argc) arguments.port = argv[read.firstOperand];
    if (read.firstOperand < argc && arguments.port.empty())
        return UsageError(program, "PORT '' names no port");
    return std::nullopt;
}

}  // namespace zorvane
