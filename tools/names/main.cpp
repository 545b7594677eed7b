// zorvane-names [FILE]: shows the 64 lamp names a names file gives, one "<k>\t<caption>" line
// each; warnings go to standard error only.
#include <cstring>
#include <iostream>
#include <optional>
#include <string>

#include "EscapeCaption.h"
#include "NamesFile.h"
#include "NamesWarnings.h"

namespace {

constexpr const char* kDefaultFile = "names.ini";

void PrintNames(const zorvane::NamesScan& scan) {
    for (std::size_t i = 0; i < scan.captions.size(); ++i) {
        const auto& caption = scan.captions[i];
        std::cout << i + 1 << '\t' << (caption ? zorvane::EscapeCaption(*caption) : "") << '\n';
    }
}

int Inspect(const std::string& path) {
    std::string failure;
    const std::optional<zorvane::NamesText> text = zorvane::ReadNamesFile(path, failure);
    if (!text) {
        std::cerr << "Nelze otevřít soubor " << path << " s pojmenováním proměnných\n";
        return 1;
    }
    const zorvane::NamesScan scan = zorvane::ScanNames(text->bytes, text->cutByReadLimit);
    PrintNames(scan);
    zorvane::WriteWarnings(*text, scan, std::cerr);
    std::cout.flush();
    return std::cout ? 0 : 1;
}

constexpr const char* kUsage = "usage: zorvane-names [FILE]   (default: names.ini)\n";

}  // namespace

int main(int argc, char** argv) {
    if (argc > 2) {
        std::cerr << kUsage;
        return 2;
    }
    if (argc == 2 && (std::strcmp(argv[1], "-h") == 0 || std::strcmp(argv[1], "--help") == 0)) {
        std::cout << kUsage;
        return 0;
    }
    return Inspect(argc == 2 ? argv[1] : kDefaultFile);
}
