// The record through the monitor's own stack (window, port lifecycle, reader) on a
// pseudo-terminal: it says what the window showed as zorvane-decode --changes says it, and a
// folder that cannot be written stops no frame.
#include <QDir>
#include <QLabel>
#include <QProcess>
#include <filesystem>

#include "EventWait.h"
#include "MonitorStack.h"
#include "ShapeWidget.h"
#include "Support.h"
#include "UserSettings.h"

namespace zorvane::bench {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Lines = std::vector<std::string>;
using test::Wire;

const Frame kOne{{0x01}};
const Frame kTwo{{0x03}};
const Frame kThree{{0x02, 0, 0, 0, 0, 0x80}};

// The lines without their first field, the time, and without the record's own lines.
Lines Untimed(const Lines& lines) {
    Lines untimed;
    for (const std::string& line : lines)
        if (line.find(" record-") == std::string::npos)
            untimed.push_back(line.substr(line.find(' ') + 1));
    return untimed;
}

// The monitor opens COM1, a pseudo-terminal; its record goes to a state folder of the test's.
class RecordOfTheWindow : public testing::Test {
  protected:
    void SetUp() override {
        ZORVANE_REQUIRE_PTY(line_);
        folder_.Link("COM1", line_.Slave());
        folder_.Write("names.ini", "IN\nČerpadlo\nVentil\n");
        qputenv("XDG_STATE_HOME", state_.toLocal8Bit());
    }
    void TearDown() override { qputenv("XDG_STATE_HOME", previousState_); }

    Lines Record() const { return test::RecordLines(state_ + "/zorvane"); }
    static QString Tip(MonitorStack& stack) {
        const QString tip = stack.Window().findChild<ShapeWidget*>("prijem")->toolTip();
        EXPECT_EQ(stack.Window().findChild<QLabel*>("Label69")->toolTip(), tip);
        return tip;
    }

    test::TempFolder folder_;
    test::Pty line_;
    const QString state_ = QString::fromStdString(folder_.Path() + "/state");
    const QByteArray previousState_ = qgetenv("XDG_STATE_HOME");
};

// Changes, an unchanged frame, silences the window shows, and the port unplugged and back.
TEST_F(RecordOfTheWindow, SaysWhatTheWindowShowedAsDecodeChangesSaysIt) {
#if defined(__SANITIZE_THREAD__)
    // The port's events and frames meet in the record under ThreadSanitizer in the other tests.
    GTEST_SKIP() << "QProcess runs its child in our memory until exec (vfork), which "
                    "ThreadSanitizer cannot follow";
#endif
    // The same bytes at the same moments for zorvane-decode, through a link of its own.
    test::Pty twin, line2, twin2;
    folder_.Link("TWIN", twin.Slave());
    QProcess decode;
    decode.start(test::Program("zorvane-decode"),
                 {"--changes", "--device", QString::fromStdString(folder_.Path() + "/TWIN")});
    ASSERT_TRUE(
        WaitFor([&] { return test::OpenDescriptors(decode.processId(), twin.Slave()) > 0; }, 5s));
    MonitorStack stack;
    ASSERT_TRUE(stack.Open(5s));
    const auto burst = Wire({kOne, kOne, kTwo});
    ASSERT_TRUE(line_.Write(burst) && twin.Write(burst));
    RunFor(300ms);
    line_.CloseMaster();  // unplugged; back as other terminals behind the same names
    twin.CloseMaster();
    folder_.Link("COM1", line2.Slave());
    folder_.Link("TWIN", twin2.Slave());
    ASSERT_TRUE(WaitFor(
        [&] {
            return test::OpenDescriptors(decode.processId(), twin2.Slave()) > 0 &&
                   test::OpenDescriptors(QCoreApplication::applicationPid(), line2.Slave()) > 0;
        },
        5s));
    const auto after = Wire({kTwo, kThree});
    ASSERT_TRUE(line2.Write(after) && twin2.Write(after));
    RunFor(300ms);
    stack.Close();
    decode.terminate();
    ASSERT_TRUE(decode.waitForFinished(5000));

    Lines decoded;
    for (const QByteArray& line : decode.readAllStandardOutput().split('\n'))
        if (!line.isEmpty()) decoded.push_back(line.toStdString());
    const Lines record = Record();
    ASSERT_EQ(Untimed(decoded).size(), 8u) << "three changes, down, lost, back, up, down";
    EXPECT_EQ(Untimed(record), Untimed(decoded));
    ASSERT_GE(record.size(), 2u);
    EXPECT_TRUE(record.front().ends_with(" record-start port=\"COM1\" device=\"./COM1 -> " +
                                         line_.Slave() + "\" names=\"" + folder_.Path() +
                                         "/names.ini\""))
        << record.front();
    EXPECT_TRUE(record.back().ends_with(" record-end")) << record.back();
}

// A file where the state folder belongs fails even for root; replaced by a folder, it works.
TEST_F(RecordOfTheWindow, AFolderThatCannotBeWrittenStopsNoFrameIsToldAndResumes) {
    folder_.Write("state", "");
    MonitorStack stack;
    ASSERT_TRUE(stack.Open(5s));
    const QString why = QString::fromStdString("Záznam se nedaří zapisovat do " + folder_.Path() +
                                               "/state/zorvane: část cesty není složka (ENOTDIR)");
    ASSERT_TRUE(line_.Write(Wire({kOne})));
    EXPECT_TRUE(WaitFor([&] { return Tip(stack) == why; }, 5s)) << Tip(stack).toStdString();
    ASSERT_TRUE(line_.Write(Wire({kTwo})));
    EXPECT_TRUE(WaitFor([&] { return stack.Tally().Snapshot().shown == 2; }, 5s));

    fs::remove(state_.toStdString());
    fs::create_directory(state_.toStdString());
    EXPECT_TRUE(WaitFor([&] { return Tip(stack).isEmpty(); }, 5s)) << Tip(stack).toStdString();
    stack.Close();
    const Lines record = Record();
    Lines untimed = Untimed(record);
    std::erase(untimed, "link-down");  // when the silences fell is not the point here
    std::erase(untimed, "link-up");
    const Lines shown = {"01 00 00 00 00 00 00 00 +1 Čerpadlo",
                         "03 00 00 00 00 00 00 00 +2 Ventil"};
    EXPECT_EQ(untimed, shown) << "what was held while the folder failed is kept";
    EXPECT_TRUE(!record.empty() && record.back().ends_with(" record-end"));
}

// Turned off as the manual page says: frames show, nothing is written.
TEST_F(RecordOfTheWindow, TurnedOffThereIsNone) {
    const QString settings = UserSettings::DefaultFile();
    ASSERT_TRUE(QDir().mkpath(QFileInfo(settings).path()));
    QFile file(settings);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("[record]\nenabled=false\n") > 0);
    file.close();
    {
        MonitorStack stack;
        ASSERT_TRUE(stack.Open(5s));
        ASSERT_TRUE(line_.Write(Wire({kOne})));
        EXPECT_TRUE(WaitFor([&] { return stack.Tally().Snapshot().shown == 1; }, 5s));
    }
    file.remove();
    EXPECT_FALSE(QFileInfo::exists(state_));
}

}  // namespace
}  // namespace zorvane::bench
