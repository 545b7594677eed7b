// zorvane-names [FILE]: shows the names a names file puts beside the 64 lamps, one
// "<lamp>\t<caption>" line each; warnings go to standard error only.
#include <iostream>
#include <optional>
#include <string>

#include "NamesFile.h"
#include "NamesReport.h"
#include "ProgramOptions.h"

namespace {

constexpr const char* kProgram = "zorvane-names";
constexpr const char* kUsage =
    "Usage: zorvane-names [OPTION]... [FILE]\n"
    "Show the name FILE (default: names.ini) puts beside each of the 64 lamps, one\n"
    "\"<lamp>\\t<name>\" line each, as the window shows it, and warn on standard error about\n"
    "what commonly goes wrong in the file.\n"
    "\n"
    "  -h, --help     show this help and exit\n"
    "      --version  show the version and exit\n";

int Inspect(const std::string& path) {
    zorvane::NamesFileError error;
    const std::optional<zorvane::NamesText> text = zorvane::ReadNamesFile(path, error);
    if (!text) {
        std::cerr << kProgram << ": " << error.Describe(path) << '\n';
        return 1;
    }
    const zorvane::NamesScan scan = zorvane::ScanNames(text->bytes, text->cutByReadLimit);
    zorvane::WriteNames(scan, std::cout);
    zorvane::WriteWarnings(*text, scan, std::cerr);
    std::cout.flush();
    return std::cout ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    static const option kOptions[] = {{"help", no_argument, nullptr, 'h'},
                                      {"version", no_argument, nullptr, 'V'},
                                      {nullptr, 0, nullptr, 0}};
    const zorvane::Program program{kProgram, kUsage};
    const zorvane::ReadOptionsResult read = zorvane::ReadOptions(
        program, argc, argv, "h", kOptions, [](int, const char*) { return std::string(); });
    if (read.exit) return *read.exit;
    if (argc - read.firstOperand > 1)
        return zorvane::UsageError(
            program, "extra operand '" + std::string(argv[read.firstOperand + 1]) + "'");
    return Inspect(read.firstOperand < argc ? argv[read.firstOperand] : "names.ini");
}
