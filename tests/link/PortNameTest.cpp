#include "PortName.h"

#include <fstream>

#include <gtest/gtest.h>

#include "TempCwd.h"

namespace zorvane {
namespace {

TEST(PortName, ChoicesOutsideOneToFourGiveCom1) {
    const std::pair<int, const char*> cases[] = {
        {1, "COM1"}, {2, "COM2"}, {3, "COM3"}, {4, "COM4"}, {0, "COM1"}, {5, "COM1"}, {-3, "COM1"},
    };
    for (const auto& [choice, name] : cases)
        EXPECT_EQ(PortName(choice), name) << choice;
}

// Only strings are compared here: no /dev/ttyS* device is ever opened.
TEST(PortName, LocalEntryWinsEvenWhenDanglingOtherwiseTtyS) {
    test::TempCwd cwd;
    cwd.Link("COM1", "/dev/null");
    cwd.Link("COM2", cwd.Path() + "/no-such-device");
    std::ofstream(cwd.Path() + "/COM3") << "a plain file counts as an entry too";

    const std::pair<const char*, const char*> cases[] = {
        {"COM1", "./COM1"},       {"COM2", "./COM2"},
        {"COM3", "./COM3"},       {"COM4", "/dev/ttyS3"},
        {"COM12", "/dev/ttyS11"}, {"COM0", "COM0"},
        {"COMx", "COMx"},         {"/dev/ttyUSB0", "/dev/ttyUSB0"},
    };
    for (const auto& [name, path] : cases)
        EXPECT_EQ(DevicePath(name), path) << name;
}

TEST(PortName, DescriptionShowsLinkTarget) {
    test::TempCwd cwd;
    cwd.Link("COM1", "/dev/pts/42");
    EXPECT_EQ(DescribeDevice("./COM1"), "./COM1 -> /dev/pts/42");
    EXPECT_EQ(DescribeDevice("/dev/ttyS0"), "/dev/ttyS0");
}

}  // namespace
}  // namespace zorvane
