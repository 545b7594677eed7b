#include "PortName.h"

#include <cerrno>
#include <fstream>
#include <set>
#include <system_error>

#include <gtest/gtest.h>

#include "LinkTestSupport.h"
#include "PortError.h"

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

// The window shows the Czech reason, the tools the English one: each kind has both, distinct.
TEST(PortError, EveryKindHasItsOwnReasonInEachLanguage) {
    std::set<std::string> seen;
    for (const int err : {ENOENT, EACCES, EBUSY, ENOTTY, EIO, EINVAL}) {
        const OpenError error = ErrorFromErrno("./COM1", err);
        const std::string czech = error.CzechReason();
        EXPECT_TRUE(seen.insert(error.Reason()).second) << err;
        EXPECT_TRUE(seen.insert(czech).second) << err;
        EXPECT_EQ(czech.find(std::generic_category().message(err)), std::string::npos) << czech;
    }
    const OpenError console{PortError::Console, "./COM1", 0};
    EXPECT_EQ(console.CzechReason(), "./COM1: je to systémová konzole, tu program nechává být");
    EXPECT_NE(ErrorFromErrno("./COM1", EACCES).CzechReason().find("dialout"), std::string::npos);
}

}  // namespace
}  // namespace zorvane
