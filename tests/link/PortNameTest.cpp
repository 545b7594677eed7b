#include "PortName.h"

#include <fstream>

#include <gtest/gtest.h>

#include "LinkTestSupport.h"

namespace zorvane {
namespace {

// Only strings are compared: no /dev/ttyS* device is ever opened.
TEST(PortName, LocalEntryWinsEvenWhenDanglingOtherwiseTtyS) {
    test::TempCwd cwd;
    cwd.Link("COM1", "/dev/pts/42");
    cwd.Link("COM2", cwd.Path() + "/unplugged");
    std::ofstream(cwd.Path() + "/COM3") << "a plain file is an entry too";

    const std::pair<const char*, const char*> cases[] = {
        {"COM1", "./COM1"},     {"COM2", "./COM2"},       {"COM3", "./COM3"},
        {"COM4", "/dev/ttyS3"}, {"COM12", "/dev/ttyS11"}, {"COM0", "COM0"},
    };
    for (const auto& [name, path] : cases)
        EXPECT_EQ(DevicePath(name), path) << name;
    EXPECT_EQ(DescribeDevice("./COM1"), "./COM1 -> /dev/pts/42");
    EXPECT_EQ(DescribeDevice("/dev/ttyS3"), "/dev/ttyS3");
}

}  // namespace
}  // namespace zorvane
