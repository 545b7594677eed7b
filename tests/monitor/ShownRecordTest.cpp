// The record through the monitor's own stack (window, controller, reader) on a pseudo-terminal:
// it says what the window showed, and a folder that cannot be written stops no frame.
#include <QDir>
#include <QLabel>
#include <filesystem>
#include <thread>

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

// Either side of the 40 ms the indicator turns red exactly when the record says link-down; then
// the port is unplugged. The record tells the run from its port and names to its end.
TEST_F(RecordOfTheWindow, TellsTheRunAndJudgesEverySilenceAsTheIndicatorDoes) {
    MonitorStack stack;
    ASSERT_TRUE(stack.Open(5s));
    struct : QObject {
        bool eventFilter(QObject*, QEvent* event) override {
            reds += event->type() == QEvent::Show;
            return false;
        }
        int reds = 0;
    } warnings;
    stack.Window().findChild<QLabel*>("Label69")->installEventFilter(&warnings);
    std::thread sender([this] {  // on a clock of its own: the window's thread stays free
        // Each gap counted from the write before: a busy machine can only lengthen it.
        for (const auto& [gap, frame] : {std::pair{0ms, kOne}, {39ms, kOne}, {41ms, kTwo}}) {
            std::this_thread::sleep_for(gap);
            ASSERT_TRUE(line_.Write(Wire({frame})));
        }
    });
    RunFor(400ms);
    sender.join();
    line_.CloseMaster();
    ASSERT_TRUE(WaitFor([&] { return Tip(stack).contains("odpojen"); }, 5s));
    stack.Close();
    const Lines record = Record();
    Lines untimed = Untimed(record);
    EXPECT_EQ(std::count(untimed.begin(), untimed.end(), "link-down"), warnings.reds);
    EXPECT_GE(warnings.reds, 2) << "after 41 ms, and at the end";
    std::erase(untimed, "link-down");
    std::erase(untimed, "link-up");
    // A pseudo-terminal's driver keeps no counts: not known, not zero.
    const std::string health =
        "line-health frames=3 checksum=0 skipped=0 parity=n/a framing=n/a overrun=n/a "
        "buffer-overrun=n/a breaks=n/a";
    EXPECT_EQ(untimed, (Lines{"01 00 00 00 00 00 00 00 +1 Čerpadlo",
                              "03 00 00 00 00 00 00 00 +2 Ventil", "port-lost", health}));
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
    EXPECT_TRUE(WaitFor([&] { return Tip(stack).startsWith(why + '\n'); }, 5s))
        << Tip(stack).toStdString();
    ASSERT_TRUE(line_.Write(Wire({kTwo})));
    EXPECT_TRUE(WaitFor([&] { return stack.Tally().Snapshot().shown == 2; }, 5s));

    fs::remove(state_.toStdString());
    fs::create_directory(state_.toStdString());
    EXPECT_TRUE(WaitFor([&] { return Tip(stack).startsWith("Vedení"); }, 5s))
        << Tip(stack).toStdString();
    stack.Close();
    const Lines record = Record();
    Lines untimed = Untimed(record);
    std::erase(untimed, "link-down");  // when the silences fell is not the point here
    std::erase(untimed, "link-up");
    std::erase_if(untimed, [](const std::string& line) { return line.starts_with("line-"); });
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
    EXPECT_TRUE(Record().empty());
}

}  // namespace
}  // namespace zorvane::bench
