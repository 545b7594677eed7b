// zorvane-names [FILE]: shows the names a names file puts beside the 64 lamps, one
// "<lamp>\t<caption>" line each; warnings go to standard error only.
#include <getopt.h>

#include <iostream>
#include <optional>
#include <string>

#include "NamesFile.h"
#include "NamesReport.h"

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

// The option getopt_long refused, as the user wrote it.
std::string RefusedOption(char** argv) {
    const std::string arg = argv[optind - 1];
    if (arg.starts_with("--")) return "unrecognized option '" + arg + "'";
    return "invalid option -- '" + std::string(1, static_cast<char>(optopt)) + "'";
}

int BadUsage(const std::string& problem) {
    std::cerr << kProgram << ": " << problem << "\nTry '" << kProgram << " --help'.\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    static const option kOptions[] = {{"help", no_argument, nullptr, 'h'},
                                      {"version", no_argument, nullptr, 'V'},
                                      {nullptr, 0, nullptr, 0}};
    opterr = 0;  // the one-line errors below replace getopt's own
    for (int opt; (opt = getopt_long(argc, argv, "h", kOptions, nullptr)) != -1;) {
        switch (opt) {
            case 'h':
                std::cout << kUsage;
                return 0;
            case 'V':
                std::cout << kProgram << ' ' << ZORVANE_VERSION << '\n';
                return 0;
            default:
                return BadUsage(RefusedOption(argv));
        }
    }
    if (argc - optind > 1) return BadUsage("extra operand '" + std::string(argv[optind + 1]) + "'");
    return Inspect(optind < argc ? argv[optind] : "names.ini");
}
