#include "PortDir.h"

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace zorvane::e2e {

PortDir::PortDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zorvane-e2e-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) return;
    path_ = pattern;
    for (int port = 1; port <= 4; ++port)
        Link(port, "missing-COM" + std::to_string(port));
}

PortDir::~PortDir() {
    if (path_.empty()) return;
    std::error_code ignored;  // a leftover temp dir is harmless
    std::filesystem::remove_all(path_, ignored);
}

bool PortDir::Link(int port, const std::string& target) const {
    const std::string link = File("COM" + std::to_string(port));
    (void)::unlink(link.c_str());  // may not exist yet
    return ::symlink(target.c_str(), link.c_str()) == 0;
}

bool PortDir::Write(const std::string& name, const std::string& bytes) const {
    std::ofstream out(File(name), std::ios::binary);
    out << bytes;
    return static_cast<bool>(out);
}

std::string SampleNames() {
    const std::string crlf = "\r\n";
    std::string text = "Pojmenov\xE1n\xED sign\xE1l\xF9" + crlf + "IN" + crlf;
    for (int k = 1; k <= 40; ++k) {
        if (k == 25)
            text += crlf;
        else if (k == 26)
            text += "\xC8idlo 26" + crlf;
        else
            text += "Vstup " + std::to_string(k) + crlf;
    }
    text += "OUT" + crlf;
    for (int k = 41; k <= 64; ++k)
        text += "V\xFDstup " + std::to_string(k) + crlf;
    return text;
}

}  // namespace zorvane::e2e
