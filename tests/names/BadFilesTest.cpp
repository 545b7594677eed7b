#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "LoadNames.h"
#include "NamesTestSupport.h"

namespace zorvane {
namespace {

using test::RecordingSink;
using test::TempDir;

TEST(NamesBadFiles, WhatIsNotARegularFileCannotBeOpened) {
    TempDir dir;
    const auto fifo = dir.path() / "fifo.ini";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const auto device = dir.path() / "device.ini";
    std::filesystem::create_symlink("/dev/null", device);
    for (const auto& path : {dir.path() / "missing.ini", dir.path(), fifo, device}) {
        RecordingSink sink;
        EXPECT_FALSE(LoadNamesFile(path, sink)) << path;  // a FIFO must not block here
        EXPECT_EQ(sink.calls, 0) << path;
    }
}

// Root reads any file, so the check runs as nobody in a child process then.
TEST(NamesBadFiles, AFileWithoutReadPermissionCannotBeOpened) {
    TempDir dir;
    std::filesystem::permissions(dir.path(), std::filesystem::perms(0755));
    const std::string locked = dir.Write("locked.ini", "IN\r\nA\r\n");
    const std::string open = dir.Write("open.ini", "IN\r\nA\r\n");
    ASSERT_EQ(::chmod(locked.c_str(), 0), 0);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(3);
        RecordingSink lockedSink, openSink;
        const bool lockedLoaded = LoadNamesFile(locked, lockedSink);
        const bool openLoaded = LoadNamesFile(open, openSink);
        ::_exit(!lockedLoaded && lockedSink.calls == 0 && openLoaded && openSink.calls == 1 ? 0
                                                                                            : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "3: could not drop root privileges";
}

TEST(NamesBadFiles, EmptyHugeAndBinaryFilesLoadSafely) {
    TempDir dir;
    std::string binary = "IN\n";
    for (unsigned x = 1; binary.size() < (1u << 20); x = x * 1664525u + 1013904223u) {
        binary += static_cast<char>((x >> 24) | 1);  // no zero byte: let it all be read
    }
    std::string huge = "IN\r\n";
    while (huge.size() < (1u << 20))
        huge += "Name\r\n";
    const struct {
        const char* name;
        std::string bytes;
        int minCalls, maxCalls;
    } cases[] = {
        {"empty.ini", "", 0, 0}, {"huge.ini", huge, 40, 40}, {"binary.ini", binary, 1, 64}};
    for (const auto& c : cases) {
        RecordingSink sink;
        EXPECT_TRUE(LoadNamesFile(dir.Write(c.name, c.bytes), sink)) << c.name;
        EXPECT_GE(sink.calls, c.minCalls) << c.name;
        EXPECT_LE(sink.calls, c.maxCalls) << c.name;
        EXPECT_EQ(sink.calls, static_cast<int>(sink.captions.size())) << c.name;
    }
}

TEST(NamesBadFiles, AFailedReadSetsNoNames) {
    TempDir dir;
    const int fd = ::open(dir.path().c_str(), O_RDONLY | O_CLOEXEC);  // read gives EISDIR
    ASSERT_GE(fd, 0);
    RecordingSink sink;
    LoadNames(fd, sink);
    ::close(fd);
    EXPECT_EQ(sink.calls, 0);
}

}  // namespace
}  // namespace zorvane
