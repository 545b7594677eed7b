// The record through real files: day files, the size limit, a disk that fails or stalls.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <regex>

#include "LocalTime.h"
#include "Record.h"

namespace zorvane {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::chrono::system_clock::time_point At(const char* text) {
    return *ParseLocalTime(text);
}

Frame Lit(int lamp) {
    Frame frame;
    frame.SetLamp(lamp, true);
    return frame;
}

std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Times the record takes itself, which no test can know, as "T".
std::string Untimed(const std::string& text) {
    static const std::regex stamp("\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}\\+00:00");
    return std::regex_replace(text, stamp, "T");
}

const RunInfo kRun{"COM1", "./COM1 -> /dev/pts/3", "/n \"x\".ini"};
const std::string kStart =
    "T record-start port=\"COM1\" device=\"./COM1 -> /dev/pts/3\" names=\"/n \\\"x\\\".ini\"\n";

class RecordTest : public testing::Test {
  protected:
    void SetUp() override {
        setenv("TZ", "UTC0", 1);  // local dates the test can name
        tzset();
        ASSERT_TRUE(mkdtemp(dir_.data()));
    }
    void TearDown() override { fs::remove_all(dir_); }
    fs::path Today() const {
        return fs::path(dir_) /
               (LocalTime(std::chrono::system_clock::now()).substr(0, 10) + ".log");
    }
    std::string dir_ = testing::TempDir() + "record-XXXXXX";
};

TEST_F(RecordTest, WritesChangesIntoDayFilesAppendsAndClosesWithEverything) {
    const fs::path folder = fs::path(dir_) / "state/zorvane";
    LampCaptions captions;
    captions[0] = "Čerpadlo";
    for (int run = 0; run < 2; ++run) {
        Record record({folder}, kRun, captions);
        record.AddFrame(Lit(1), At("2025-03-14T23:59:59.900+00:00"));
        record.AddFrame(Lit(1), At("2025-03-14T23:59:59.990+00:00"));  // unchanged: no line
        record.AddEvent(ChangeLog::Event::LinkDown, At("2025-03-15T00:00:00.100+00:00"));
        record.AddFrame(Lit(2), At("2025-03-15T00:00:00.200+00:00"));
    }  // closing writes it all: nothing waits for the next second
    const std::string day1 = "2025-03-14T23:59:59.900+00:00 01 00 00 00 00 00 00 00 +1 Čerpadlo\n";
    const std::string day2 =
        "2025-03-15T00:00:00.100+00:00 link-down\n"
        "2025-03-15T00:00:00.200+00:00 02 00 00 00 00 00 00 00 -1 Čerpadlo +2\n";
    EXPECT_EQ(Read(folder / "2025-03-14.log"), day1 + day1);
    EXPECT_EQ(Read(folder / "2025-03-15.log"), day2 + day2);
    const fs::path today = folder / Today().filename();
    EXPECT_EQ(Untimed(Read(today)), kStart + "T record-end\n" + kStart + "T record-end\n");
    EXPECT_EQ(fs::status(folder).permissions() & fs::perms::all, fs::perms::owner_all);
    EXPECT_EQ(fs::status(today).permissions() & fs::perms::owner_all,
              fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(RecordTest, SizeLimitDeletesTheOldestDayFilesAndNothingElse) {
    for (const char* name : {"2019-09-30.log", "2019-10-01.log", "notes.txt", "2019-10-02.log~"})
        std::ofstream(fs::path(dir_) / name) << std::string(400, 'x');
    { Record record({dir_, 900}, kRun, {}); }  // 800 + the run's two lines: one file must go
    EXPECT_FALSE(fs::exists(fs::path(dir_) / "2019-09-30.log"));
    EXPECT_TRUE(fs::exists(fs::path(dir_) / "2019-10-01.log"));
    EXPECT_TRUE(fs::exists(fs::path(dir_) / "notes.txt") &&
                fs::exists(fs::path(dir_) / "2019-10-02.log~"));
    EXPECT_EQ(Untimed(Read(Today())), kStart + "T record-end\n");
    // Today's file alone is over this limit: the record says so and keeps today's file.
    Record record({dir_, 50}, kRun, {});
    EXPECT_FALSE(record.Flush(5s));
    EXPECT_EQ(record.Status(), (RecordStatus{false, EDQUOT, Today().string(), 0}));
    EXPECT_FALSE(fs::exists(fs::path(dir_) / "2019-10-01.log"));
    EXPECT_TRUE(fs::exists(Today()));
}

TEST_F(RecordTest, FolderThatCannotBeMadeIsReportedAndTheGapNotedOnceItCan) {
    // A file where a folder should be stops root as well as anyone.
    const fs::path blocker = fs::path(dir_) / "blocker";
    std::ofstream(blocker) << "";
    const fs::path folder = blocker / "zorvane";
    std::mutex mutex;
    std::vector<RecordStatus> told;
    Record record({folder, 200'000'000, 2}, kRun, {}, [&](const RecordStatus& status) {
        std::lock_guard lock(mutex);
        told.push_back(status);
    });
    EXPECT_FALSE(record.Flush(5s));
    const char* times[] = {"2025-03-14T10:00:00.001+00:00", "2025-03-14T10:00:00.002+00:00",
                           "2025-03-14T10:00:00.003+00:00", "2025-03-14T10:00:00.004+00:00",
                           "2025-03-14T10:00:00.005+00:00"};
    for (int i = 0; i < 5; ++i)
        record.AddFrame(Lit(i + 1), At(times[i]));  // two are held
    EXPECT_EQ(record.Status(), (RecordStatus{false, ENOTDIR, folder.string(), 3}));
    fs::remove(blocker);
    EXPECT_TRUE(record.Flush(5s));
    EXPECT_EQ(record.Status(), RecordStatus{});
    // The frame of the last dropped line, again: written, as the file has not seen it.
    record.AddFrame(Lit(5), At("2025-03-14T10:00:01.000+00:00"));
    record.AddFrame(Lit(5), At("2025-03-14T10:00:01.100+00:00"));
    EXPECT_TRUE(record.Flush(5s));
    EXPECT_EQ(Read(folder / "2025-03-14.log"),
              "2025-03-14T10:00:00.001+00:00 01 00 00 00 00 00 00 00 +1\n"
              "2025-03-14T10:00:00.002+00:00 02 00 00 00 00 00 00 00 -1 +2\n"
              "2025-03-14T10:00:00.003+00:00 record-gap until=2025-03-14T10:00:00.005+00:00 "
              "lost=3\n"
              "2025-03-14T10:00:01.000+00:00 10 00 00 00 00 00 00 00 -2 +5\n");
    std::lock_guard lock(mutex);
    EXPECT_EQ(told, (std::vector<RecordStatus>{{false, ENOTDIR, folder.string(), 0}, {}}));
}

TEST_F(RecordTest, FileThatStopsGrowingGetsTheRestOnceItCan) {
    // A file size limit fails writes as a full disk does, for root as well as anyone.
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &limit), 0);
    rlimit small = limit;
    small.rlim_cur = 60;  // in the middle of the first line
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    Record record({dir_}, kRun, {});
    EXPECT_FALSE(record.Flush(5s));
    EXPECT_EQ(record.Status(), (RecordStatus{false, EFBIG, Today().string(), 0}));
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    EXPECT_TRUE(record.Flush(5s));
    EXPECT_EQ(Untimed(Read(Today())), kStart);
}

TEST_F(RecordTest, StalledDiskHoldsUpNoCallerNorTheClose) {
    // A FIFO nobody reads: opening it for writing waits, as on a disk that hangs.
    ASSERT_EQ(mkfifo(Today().c_str(), 0600), 0);
    {
        Record record({dir_, 200'000'000, 2}, kRun, {});
        for (int lamp = 1; lamp <= 5; ++lamp)
            record.AddFrame(Lit(lamp), std::chrono::system_clock::now());
        EXPECT_FALSE(record.Flush(200ms));
        EXPECT_EQ(record.Status().linesLost, 3u);
    }  // gives the writer up after a while and returns
    const int fifo = open(Today().c_str(), O_RDONLY | O_CLOEXEC);  // the disk wakes up
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = read(fifo, buffer, sizeof buffer)) > 0;)
        text.append(buffer, n);
    close(fifo);
    EXPECT_EQ(Untimed(text), kStart +
                                 "T 01 00 00 00 00 00 00 00 +1\n"
                                 "T 02 00 00 00 00 00 00 00 -1 +2\n"
                                 "T record-gap until=T lost=3\n"
                                 "T record-end\n");
}

}  // namespace
}  // namespace zorvane
