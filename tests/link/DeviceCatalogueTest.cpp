#include <filesystem>

#include "DeviceCatalogue.h"
#include "Support.h"

namespace zorvane {
namespace {

namespace fs = std::filesystem;

// A /dev and /sys of our own: adapters linked to pseudo-terminals, built-in UARTs as sysfs
// shows them. Nothing under the real /dev is touched.
TEST(DeviceCatalogue, ListsWhatIsThereReadablyAndInAStableOrder) {
    test::Pty usb, ch340, quad, odd;
    ZORVANE_REQUIRE_PTY(usb);
    test::TempFolder tree;
    const fs::path dev = tree.Path() + "/dev", byId = dev / "serial/by-id";
    const fs::path ttys = tree.Path() + "/sys/class/tty";
    fs::create_directories(byId);
    fs::create_symlink(usb.Slave(), dev / "ttyUSB7");
    const std::pair<std::string, std::string> links[] = {
        {"usb-Odd\\x20Maker\xff_Tab\tNew\nline_0042-if00", odd.Slave()},
        {"usb-FTDI_Quad_RS232-HS_FT4ABC12-if01-port0", quad.Slave()},
        {"usb-FTDI_FT232R_USB_UART_A10K5XYZ-if00-port0", "../../ttyUSB7"},  // as udev links
        {"usb-Gone_Adapter_123-if00-port0", "/nonexistent/ttyUSB9"},        // left behind
        {"usb-1a86_USB_Serial-if00-port0", ch340.Slave()},                  // no serial number
    };
    for (const auto& [name, target] : links)
        fs::create_symlink(target, byId / name);
    // type 0 is a placeholder; the console is never offered.
    const std::tuple<const char*, const char*, const char*, const char*> uarts[] = {
        {"ttyS0", "0", "0x3F8", "4"},
        {"ttyS10", "4", "", ""},
        {"ttyS2", "4", "0x3E8", "4"},
        {"ttyS9", "1", "0x0", "7"},
        {"ttyS1", "4", "0x2F8", "3"}};
    for (const auto& [name, type, port, irq] : uarts) {
        fs::create_directories(ttys / name);
        for (const auto& [file, value] : {std::pair{"type", type}, {"port", port}, {"irq", irq}})
            if (*value) tree.Write("sys/class/tty/" + std::string(name) + "/" + file, value);
    }
    fs::create_directories(ttys / "console");
    tree.Write("sys/class/tty/console/active", "tty0 ttyS2\n");

    const DeviceCatalogue catalogue(dev, tree.Path() + "/sys");
    const std::vector<SerialDevice> want = {
        {byId / links[4].first, ch340.Slave().substr(5), "1a86 USB Serial", ""},
        {byId / links[2].first, "ttyUSB7", "FTDI FT232R USB UART · A10K5XYZ", ""},
        {byId / links[1].first, quad.Slave().substr(5),
         "FTDI Quad RS232-HS · FT4ABC12 · if01-port0", ""},
        {byId / links[0].first, odd.Slave().substr(5), "Odd Maker? Tab?New?line · 0042", ""},
        {dev / "ttyS1", "ttyS1", "UART 0x2F8 IRQ 3 (ttyS1)", "UART 0x2F8 IRQ 3 (ttyS1)"},
        {dev / "ttyS9", "ttyS9", "UART IRQ 7 (ttyS9)", "UART IRQ 7 (ttyS9)"},
        {dev / "ttyS10", "ttyS10", "UART (ttyS10)", "UART (ttyS10)"},
    };
    std::vector<SerialDevice> found = catalogue.List();
    for (std::size_t i = 0; i < 4 && i < found.size(); ++i) {
        EXPECT_EQ(found[i].description, found[i].name + " (" + found[i].kernelName + ")");
        found[i].description.clear();
    }
    EXPECT_EQ(found, want);

    // Only names are looked at for the built-in ones: no /dev/ttyS* is opened.
    const std::pair<std::string, bool> present[] = {
        {byId / links[2].first, true}, {byId / links[3].first, false}, {"/dev/ttyS1", true},
        {"/dev/ttyS0", false},         {"/dev/ttyS5", false},          {"/dev/ttyS2", true}};
    for (const auto& [path, there] : present)
        EXPECT_EQ(catalogue.Present(path), there) << path;
    EXPECT_TRUE(DeviceCatalogue(tree.Path() + "/none", tree.Path() + "/none").List().empty());
    fs::remove_all(dev);  // a name that is not UTF-8 is more than the folder's own clean-up takes
}

}  // namespace
}  // namespace zorvane
