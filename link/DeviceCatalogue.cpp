#include "DeviceCatalogue.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <regex>
#include <sstream>

namespace zorvane {

namespace {

namespace fs = std::filesystem;

// The first line of a file, "" when it cannot be read.
std::string ReadLine(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

// The n of "ttyS<n>".
std::optional<int> UartNumber(const std::string& name) {
    constexpr std::string_view kPrefix = "ttyS";
    if (name.size() <= kPrefix.size() || !name.starts_with(kPrefix)) return std::nullopt;
    int n = 0;
    const char* last = name.data() + name.size();
    const auto [end, ec] = std::from_chars(name.data() + kPrefix.size(), last, n);
    if (ec != std::errc{} || end != last || n < 0) return std::nullopt;
    return n;
}

// udev writes "\xNN" for a byte a device name should not hold.
std::string Unescape(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned byte = 0;
        const char* digits = text.data() + i + 2;
        if (text.substr(i, 2) == "\\x" && i + 4 <= text.size() &&
            std::from_chars(digits, digits + 2, byte, 16).ptr == digits + 2) {
            out += static_cast<char>(byte);
            i += 3;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::size_t Utf8Length(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
}

// A file name may hold any byte but '/': control characters and what is not UTF-8 show as '?'.
std::string Printable(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = Utf8Length(lead);
        bool ok = length > 0 && i + length <= text.size() && lead >= 0x20 && lead != 0x7F;
        for (std::size_t k = 1; ok && k < length; ++k)
            ok = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
        out.append(ok ? text.substr(i, length) : "?");
        i += ok ? length : 1;
    }
    return out;
}

// udev names an adapter "<bus>-<maker>_<model>_<serial>-if<NN>[-port<N>]", with '_' for every
// space. The serial number is the last word, when there are three or more and it holds a digit
// (an adapter without one ends in its model: "1a86_USB_Serial"). Another interface than the
// first is told apart by its suffix.
std::string AdapterName(const std::string& id) {
    static const std::regex kUdevName(R"(^[a-z0-9]+-([\s\S]+?)(-if[0-9a-fA-F]+(-port[0-9]+)?)?$)");
    std::smatch parts;
    if (!std::regex_match(id, parts, kUdevName)) return Printable(Unescape(id));
    std::vector<std::string> words;
    std::istringstream serial(Unescape(parts[1].str()));
    for (std::string word; std::getline(serial, word, '_');)
        if (!word.empty()) words.push_back(word);
    std::string name;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const bool serialNumber =
            i == words.size() - 1 && words.size() >= 3 &&
            std::ranges::any_of(words[i], [](char c) { return c >= '0' && c <= '9'; });
        name += i == 0 ? "" : serialNumber ? " · " : " ";
        name += words[i];
    }
    const std::string interface = parts[2].str();
    if (!interface.empty() && interface != "-if00" && interface != "-if00-port0")
        name += " · " + interface.substr(1);
    return Printable(name);
}

// The node a by-id link leads to, as the kernel names it: "ttyUSB0" (or "pts/3").
std::string KernelName(const fs::path& entry, const std::string& devRoot) {
    std::error_code notALink;
    const fs::path target = fs::read_symlink(entry, notALink);
    if (notALink) return Printable(entry.filename().string());
    const std::string node = (entry.parent_path() / target).lexically_normal().string();
    for (const std::string& root : {devRoot + "/", std::string("/dev/")})
        if (node.starts_with(root)) return Printable(node.substr(root.size()));
    return Printable(fs::path(node).filename().string());
}

}  // namespace

DeviceCatalogue::DeviceCatalogue(std::string devRoot, std::string sysRoot)
    : devRoot_(std::move(devRoot)), sysRoot_(std::move(sysRoot)) {}

std::vector<SerialDevice> DeviceCatalogue::List() const {
    std::vector<SerialDevice> devices;
    AddAdapters(devices);
    AddUarts(devices);
    return devices;
}

void DeviceCatalogue::AddAdapters(std::vector<SerialDevice>& out) const {
    const fs::path folder = fs::path(devRoot_) / "serial" / "by-id";
    std::vector<SerialDevice> found;
    std::error_code ec;  // no folder: no adapter plugged in
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code dangling;  // a link left behind by a device that went
        if (!fs::is_character_file(it->path(), dangling)) continue;
        SerialDevice device{it->path().string(),
                            KernelName(it->path(), devRoot_),
                            AdapterName(it->path().filename().string()),
                            {}};
        device.description = device.name + " (" + device.kernelName + ")";
        found.push_back(std::move(device));
    }
    std::ranges::sort(found, {}, &SerialDevice::path);
    out.insert(out.end(), found.begin(), found.end());
}

void DeviceCatalogue::AddUarts(std::vector<SerialDevice>& out) const {
    const fs::path ttys = fs::path(sysRoot_) / "class" / "tty";
    std::istringstream consoles(ReadLine(ttys / "console" / "active"));
    const std::vector<std::string> console{std::istream_iterator<std::string>(consoles), {}};
    std::vector<std::pair<int, SerialDevice>> found;
    std::error_code ec;  // no sysfs: none known
    for (fs::directory_iterator it(ttys, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string kernel = it->path().filename().string();
        const std::optional<int> n = UartNumber(kernel);
        if (!n || !UartPresent(*n) || std::ranges::find(console, kernel) != console.end()) continue;
        std::string name = "UART";
        if (const std::string port = ReadLine(it->path() / "port"); !port.empty() && port != "0x0")
            name += " " + port;
        if (const std::string irq = ReadLine(it->path() / "irq"); !irq.empty() && irq != "0")
            name += " IRQ " + irq;
        name += " (" + kernel + ")";
        found.push_back({*n, {devRoot_ + "/" + kernel, kernel, name, name}});
    }
    std::ranges::sort(found, {}, &std::pair<int, SerialDevice>::first);
    for (auto& [n, device] : found)
        out.push_back(std::move(device));
}

bool DeviceCatalogue::UartPresent(int number) const {
    // A placeholder for a UART that is not fitted has type 0 (PORT_UNKNOWN).
    const fs::path type = fs::path(sysRoot_) / "class" / "tty" / ("ttyS" + std::to_string(number));
    const std::string value = ReadLine(type / "type");
    return !value.empty() && value != "0";
}

bool DeviceCatalogue::Present(const std::string& path) const {
    std::error_code missing;
    fs::path node = fs::canonical(path, missing);
    if (missing) node = path;
    if (const std::optional<int> n = UartNumber(node.filename().string())) return UartPresent(*n);
    return !missing;
}

}  // namespace zorvane
