// The record through real files: parts, the size limit, modes, a disk that fails or stalls.
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
#include <random>
#include <regex>

#include "LocalTime.h"
#include "Record.h"
#include "RecordParts.h"

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

fs::perms Mode(const fs::path& path) {
    return fs::symlink_status(path).permissions() & fs::perms::all;
}

const RunInfo kRun{"COM1", "./COM1 -> /dev/pts/3", "/n \"x\".ini"};
const std::string kStart =
    "T record-start port=\"COM1\" device=\"./COM1 -> /dev/pts/3\" names=\"/n \\\"x\\\".ini\"\n";

// The record's parts in name order, which must be their time order.
std::vector<fs::path> Parts(const fs::path& folder) {
    std::vector<fs::path> parts;
    for (const auto& entry : fs::directory_iterator(folder))
        if (RecordParts::IsRecordFileName(entry.path().filename().string()))
            parts.push_back(entry.path());
    std::sort(parts.begin(), parts.end());
    return parts;
}

std::string All(const fs::path& folder) {
    std::string text;
    for (const fs::path& part : Parts(folder))
        text += Read(part);
    return text;
}

class RecordTest : public testing::Test {
  protected:
    void SetUp() override {
        setenv("TZ", "UTC0", 1);  // local times the test can name
        tzset();
        ASSERT_TRUE(mkdtemp(dir_.data()));
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string dir_ = testing::TempDir() + "record-XXXXXX";
};

TEST_F(RecordTest, EveryRunAndEveryHourGetNewPrivatePartsThatSortByTime) {
    LampCaptions captions;
    captions[0] = "Čerpadlo";
    for (int run = 0; run < 2; ++run) {
        Record record({dir_}, kRun, captions);
        record.AddFrame(Lit(1), At("2025-03-14T23:59:59.900+00:00"));
        record.AddFrame(Lit(1), At("2025-03-14T23:59:59.990+00:00"));  // unchanged: no line
        record.AddEvent(ChangeLog::Event::LinkDown, At("2025-03-15T00:00:00.100+00:00"));
        record.AddFrame(Lit(2), At("2025-03-15T00:00:00.200+00:00"));
    }  // closing writes it all: nothing waits for the next second
    const std::string run = kStart + "T 01 00 00 00 00 00 00 00 +1 Čerpadlo\nT link-down\n" +
                            "T 02 00 00 00 00 00 00 00 -1 Čerpadlo +2\nT record-end\n";
    EXPECT_EQ(Untimed(All(dir_)), run + run);
    // Start, each of the two hours, end: four parts a run, none of them another run's.
    const auto parts = Parts(dir_);
    ASSERT_EQ(parts.size(), 8u);
    EXPECT_EQ(Read(parts[2]),
              "2025-03-15T00:00:00.100+00:00 link-down\n"
              "2025-03-15T00:00:00.200+00:00 02 00 00 00 00 00 00 00 -1 Čerpadlo +2\n");
    EXPECT_EQ(Mode(dir_), fs::perms::owner_all);
    for (const fs::path& part : parts)
        EXPECT_EQ(Mode(part), fs::perms::owner_read | fs::perms::owner_write) << part;
}

// Random frames through a limit of 1 MB: the oldest parts go, earlier versions' day files
// first, and the newest lines are all there.
TEST_F(RecordTest, SizeLimitKeepsTheNewestAndDeletesOnlyRecordFiles) {
    for (const char* name : {"2019-09-30.log", "notes.txt", "2019-10-02.log~"})
        std::ofstream(fs::path(dir_) / name) << std::string(400'000, 'x');
    std::mt19937 random(7);
    std::vector<Frame> frames(20'000);
    {
        Record record({dir_, 1'000'000}, kRun, {});
        auto at = At("2025-03-14T10:00:00.000+00:00");
        for (Frame& frame : frames) {
            for (auto& byte : frame.data)
                byte = std::uint8_t(random());
            record.AddFrame(frame, at += 2ms);
        }
        EXPECT_TRUE(record.Flush(30s));  // a close gives a slow writer up after a while
    }
    std::uint64_t total = 0;
    const auto parts = Parts(dir_);
    for (const fs::path& part : parts) {
        total += fs::file_size(part);
        EXPECT_LE(fs::file_size(part), 100'000u + 1'000u) << "a tenth of the limit, and a line";
    }
    EXPECT_LE(total, 1'000'000u);
    EXPECT_GE(total, 800'000u) << "only what had to go went";
    EXPECT_FALSE(fs::exists(fs::path(dir_) / "2019-09-30.log"));
    EXPECT_TRUE(fs::exists(fs::path(dir_) / "notes.txt") &&
                fs::exists(fs::path(dir_) / "2019-10-02.log~"));
    const std::string text = All(dir_);
    EXPECT_EQ(Untimed(text.substr(text.rfind('\n', text.size() - 2) + 1)), "T record-end\n");
    EXPECT_EQ(text.find(" record-start "), std::string::npos) << "the oldest part went";
    // The last frame's line, with its time: the newest line before the end.
    const std::string last = "2025-03-14T10:00:40.000+00:00 ";
    EXPECT_NE(text.find("\n" + last), std::string::npos);
    // A single line longer than the whole limit cannot be kept: told, nothing deleted for it.
    Record record({dir_, 50}, kRun, {});
    EXPECT_FALSE(record.Flush(5s));
    EXPECT_EQ(record.Status().error, EDQUOT);
    EXPECT_EQ(Parts(dir_), parts);
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
    EXPECT_EQ(record.Status(), (RecordStatus{false, ENOTDIR, folder.string(), 3, {}}));
    fs::remove(blocker);
    EXPECT_TRUE(record.Flush(5s));
    EXPECT_EQ(record.Status(), RecordStatus{});
    // The frame of the last dropped line, again: written, as the file has not seen it.
    record.AddFrame(Lit(5), At("2025-03-14T10:00:01.000+00:00"));
    record.AddFrame(Lit(5), At("2025-03-14T10:00:01.100+00:00"));
    EXPECT_TRUE(record.Flush(5s));
    EXPECT_EQ(Untimed(All(folder)), kStart +
                                        "T 01 00 00 00 00 00 00 00 +1\n"
                                        "T 02 00 00 00 00 00 00 00 -1 +2\n"
                                        "T record-gap until=T lost=3\n"
                                        "T 10 00 00 00 00 00 00 00 -2 +5\n");
    std::lock_guard lock(mutex);
    EXPECT_EQ(told, (std::vector<RecordStatus>{{false, ENOTDIR, folder.string(), 0, {}}, {}}));
}

// A part that stops growing in the middle of a line keeps whole lines only; then the disk stalls
// (a FIFO nobody reads, in the part's place): no caller waits, nor does the close, and what was
// held arrives whole once the disk wakes.
TEST_F(RecordTest, CutLineIsTakenBackAndAStalledDiskHoldsUpNoCallerNorTheClose) {
    signal(SIGXFSZ, SIG_IGN);  // a file size limit fails writes as a full disk does, for root too
    rlimit limit{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &limit), 0);
    rlimit small = limit;
    small.rlim_cur = 60;  // in the middle of the first line
    fs::path part;
    {
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
        Record record({dir_, 200'000'000, 2}, kRun, {});
        EXPECT_FALSE(record.Flush(5s));
        part = record.Status().path;
        EXPECT_EQ(record.Status().error, EFBIG);
        EXPECT_EQ(fs::file_size(part), 0u) << "no line cut off";
        // In the part's place at once: the writer tries it again any time.
        ASSERT_EQ(mkfifo((part.string() + "~").c_str(), 0600), 0);
        fs::rename(part.string() + "~", part);
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
        for (int lamp = 1; lamp <= 5; ++lamp)
            record.AddFrame(Lit(lamp), std::chrono::system_clock::now());
        EXPECT_FALSE(record.Flush(1500ms));
        EXPECT_EQ(record.Status().linesLost, 3u);
    }  // gives the writer up after a while and returns
    const int fifo = open(part.c_str(), O_RDONLY | O_CLOEXEC);  // the disk wakes up
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

// Parts are never reached through a symbolic link; the program's own folder is made private,
// another one is told when others may read it.
TEST_F(RecordTest, LinksAreNotFollowedAndFoldersOthersCanReadAreToldOrMadePrivate) {
    const std::string line = "2025-03-14T10:00:00.000+00:00 link-down\n";
    const auto hour = At("2025-03-14T10:00:00.000+00:00");
    const fs::path target = fs::path(dir_) / "elsewhere";
    std::ofstream(target) << "theirs\n";
    fs::permissions(dir_, fs::perms::owner_all | fs::perms::group_read | fs::perms::others_read);
    for (const bool own : {false, true}) {
        RecordParts parts(dir_, 1'000'000, own);
        const fs::path name = fs::path(dir_) / "20250314T100000.000Z.log";
        fs::create_symlink(target, name);
        EXPECT_EQ(parts.Append(hour, line).error, ELOOP);
        EXPECT_EQ(parts.Append(hour, line).path, name);
        EXPECT_EQ(Read(target), "theirs\n");
        fs::remove(name);
        EXPECT_EQ(parts.Append(hour, line).error, 0);
        EXPECT_EQ(Read(name), line);
        fs::remove(name);
        EXPECT_EQ(parts.FolderShared(), !own);
        EXPECT_EQ(Mode(dir_),
                  own ? fs::perms::owner_all
                      : fs::perms::owner_all | fs::perms::group_read | fs::perms::others_read);
    }
}

}  // namespace
}  // namespace zorvane
