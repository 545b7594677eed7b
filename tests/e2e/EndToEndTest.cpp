// The real program in a private X server: the port dialog, frames on the screen, silence, the
// title-bar close and SIGTERM with the record they leave, and the ways out before a port is open.
#include <signal.h>
#include <unistd.h>

#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <chrono>
#include <thread>

#include "Frame.h"
#include "FrameText.h"
#include "LineSettings.h"
#include "MainLayout.h"
#include "Support.h"

// Last: Xlib's macros (Bool, None, Status) would break the headers above.
#include <X11/Xlib.h>

namespace zorvane::test {
namespace {

constexpr int kAppearMs = 15000;  // a busy machine or a sanitizer build starts Qt slowly
#if defined(__SANITIZE_ADDRESS__)
constexpr int kCloseMs = 3000;  // the sanitizer's checks at exit take their time
#else
constexpr int kCloseMs = 1000;
#endif

// A visible window that `xdotool search` finds by `how` ("--name", "^Choose port$"), other
// than `besides`; 0 when none comes.
Window WaitForWindow(const QStringList& how, Window besides = 0) {
    Window found = 0;
    WaitUntil(
        [&] {
            const Finished search = Run("xdotool", QStringList{"search", "--onlyvisible"} + how);
            for (const QByteArray& id : search.out.split('\n'))
                if (!id.isEmpty() && id.toULong() != besides) found = id.toULong();
            return found != 0;
        },
        kAppearMs);
    return found;
}

// Without a window manager the focus goes only where it is put.
bool Press(Window window, const QStringList& keys) {
    const QStringList focus{"windowfocus", "--sync", QString::number(window), "key"};
    return Run("xdotool", focus + keys).exitCode == 0;
}

QImage Capture(Window window) {
    return QImage::fromData(Run("import", {"-window", QString::number(window), "png:-"}).out);
}

// What a window manager sends when the title bar's close button is pressed.
void RequestClose(Window window) {
    Display* x = XOpenDisplay(nullptr);
    ASSERT_NE(x, nullptr);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(x, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(x, "WM_DELETE_WINDOW", False));
    XSendEvent(x, window, False, NoEventMask, &event);
    XCloseDisplay(x);  // sends it
}

// Pixels of `area` that are not `background`: text or a control drawn there.
int Ink(const QImage& form, const QRect& area, const QColor& background) {
    int ink = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            ink += form.pixelColor(x, y) != background;
    return ink;
}

// Right of lamp `lamp`, where its row's name stands, short of the next column.
int NameInk(const QImage& form, int lamp) {
    const QPoint at = layout::LampPos(lamp);
    return Ink(form, QRect(at + QPoint(20, -3), QSize(120, 22)), form.pixelColor(4, at.y()));
}

// Every lamp shows its bit of `frame`, and the indicator is green with nothing over it (alive)
// or red with the warning's text over it.
bool FormShows(const QImage& form, const Frame& frame, bool alive) {
    for (int lamp = 1; lamp <= kLampCount; ++lamp) {
        const QColor want = frame.Lamp(lamp) ? Qt::red : Qt::white;
        if (form.pixelColor(layout::LampPos(lamp) + QPoint(8, 8)) != want) return false;
    }
    const QColor fill = form.pixelColor(layout::kPrijem.topLeft() + QPoint(3, 3));
    const int ink = Ink(form, layout::kPrijem.adjusted(2, 2, -2, -2), fill);
    return alive ? fill == QColor(Qt::green) && ink == 0 : fill == QColor(Qt::red) && ink > 50;
}

const Frame kFrame{{0x01, 0x80, 0x55, 0xA9, 0xF0, 0x3C, 0x81, 0x7E}};  // lit and dark lamps

// A session bus of the test's own with AT-SPI's accessibility bus on it, as a desktop session
// has them; the programs started after it use them.
class AccessibilityBus {
  public:
    static constexpr const char* kLauncher = "/usr/libexec/at-spi-bus-launcher";

    static bool Installed() {
        return !QStandardPaths::findExecutable("dbus-daemon").isEmpty() &&
               QFileInfo(kLauncher).isExecutable() &&
               QFileInfo::exists("/usr/lib/python3/dist-packages/pyatspi");
    }

    explicit AccessibilityBus(const std::string& folder) {
        const QString socket = QString::fromStdString(folder + "/session-bus");
        session_.start("dbus-daemon",
                       {"--session", "--nofork", "--nopidfile", "--address=unix:path=" + socket});
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + socket.toLocal8Bit());
        ready_ = WaitUntil([&] { return QFileInfo::exists(socket); });
        launcher_.start(kLauncher, {"--launch-immediately"});
        // The launcher puts the accessibility bus's address on the X root window once it runs.
        ready_ = ready_ && WaitUntil([] {
                     return Run("xprop", {"-root", "AT_SPI_BUS"}).out.contains("unix:");
                 });
    }
    ~AccessibilityBus() {
        // Asked, the launcher ends the accessibility bus it started; killed, it would leave it.
        launcher_.terminate();
        launcher_.waitForFinished(kCloseMs);
    }
    bool Ready() const { return ready_; }

  private:
    Child session_;
    Child launcher_;
    bool ready_ = false;
};

// Reads the main window through AT-SPI into `said` (tests/e2e/atspi_window.py: a line per
// control): every lamp, by its number and its name, checked as `frame` lights it; both hex
// texts; the link's state in words; the warning only while the link is silent. names.ini names
// only the 25th and 26th inputs, which trade places.
bool Tells(QString& said, const Frame& frame, bool alive) {
    said = QString::fromUtf8(
        Run("/usr/bin/python3", {ATSPI_WINDOW_SCRIPT, "read"}, {}, kAppearMs).out);
    QStringList lines;
    for (int n = 1; n <= kLampCount; ++n) {
        const QString name = n == 25   ? "WWWWWWWWWW"
                             : n == 26 ? "i"
                                       : QStringLiteral("Lampa %1").arg(n);
        lines << QStringLiteral("check box\t%1\tLampa %2\t%3\t\n")
                     .arg(name)
                     .arg(n)
                     .arg(frame.Lamp(n));
    }
    lines << "text\tPLC Received paket in HEX:\t\t0\t" + PlcHexText(frame) + "\n"
          << "text\tRT7720 Received paket in HEX:\t\t0\t" + RtHexText(frame) + "\n"
          // The state, then the line's health.
          << QStringLiteral("status bar\tVorlan\t%1. Vedení za poslední minutu: chyby 0. ")
                 .arg(alive ? "vysílá" : "nevysílá");
    for (const QString& line : lines)
        if (!said.contains(line)) return false;
    return said.contains("label\tVorlan nevysílá\t") != alive;
}

class EndToEnd : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const auto& [tool, package] : {std::pair{"Xvfb", "xvfb"},
                                            {"xdotool", "xdotool"},
                                            {"import", "imagemagick"},
                                            {"xprop", "x11-utils"}})
            if (QStandardPaths::findExecutable(tool).isEmpty())
                GTEST_SKIP() << "needs " << tool << ": install the package " << package;
        ZORVANE_REQUIRE_PTY(pty_);
        // -noreset: a server that resets when its last client leaves refuses the next one for
        // a moment.
        server_.start("Xvfb", {"-displayfd", "1", "-noreset", "-nolisten", "tcp", "-screen", "0",
                               "1024x768x24"});
        ASSERT_TRUE(WaitUntil([&] { return server_.canReadLine(); })) << "Xvfb did not start";
        qputenv("DISPLAY", ":" + server_.readLine().trimmed());  // for every program from here
        // Names files were written for Label25 and Label26 trading rows: a short name 25 and
        // a long name 26 show which stands where.
        folder_.Write("names.ini", "IN\n" + std::string(24, '\n') + "i\nWWWWWWWWWW\nOUT\n");
    }

    void StartProgram(const QStringList& arguments = {}) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "xcb");  // the test itself draws offscreen
        program_.setProcessEnvironment(environment);
        program_.setWorkingDirectory(QString::fromStdString(folder_.Path()));
        program_.start(Program("zorvane"), arguments);
    }

    // Sends `frame` about at the line's rate from now on. Until the program reads, the terminal
    // fills up and frames are dropped, as on a real line.
    void Transmit(const Frame& frame) {
        transmitter_ = std::jthread([&, wire = EncodeFrame(frame)](std::stop_token stop) {
            while (!stop.stop_requested()) {
                (void)::write(pty_.Master(), wire.data(), wire.size());  // full: dropped, see above
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
        });
    }

    bool EndsWithStatusZero(int ms) {
        return program_.waitForFinished(ms) && program_.exitStatus() == QProcess::NormalExit &&
               program_.exitCode() == 0;
    }

    TempFolder folder_;
    Pty pty_;
    Child server_;
    std::jthread transmitter_;
    Child program_;  // last, so it ends first: before the transmitter and the server
};

TEST_F(EndToEnd, FramesShowUntilSilenceAndTheCloseButtonGivesThePortBack) {
    folder_.Link("COM1", pty_.Slave());
    // The line as a transmitter's side leaves it (57600 8O1), with time-outs of its own. A
    // pseudo-terminal keeps no parity, and set so already it fails the program's tcsetattr:
    // the program takes the line all the same.
    termios line = pty_.Settings();
    ApplyLineSettings(line);
    ASSERT_EQ(::tcsetattr(pty_.Master(), TCSANOW, &line), 0);
    pty_.SetTimeouts(7, 42);
    Transmit(kFrame);
    StartProgram();
    const Window dialog = WaitForWindow({"--name", "^Choose port$"});
    ASSERT_NE(dialog, 0u) << "no \"Choose port\"";
    EXPECT_TRUE(
        test::Run("xprop", {"-id", QString::number(dialog), "_NET_WM_ICON"}).out.contains("Icon"))
        << "no window icon: is Qt's SVG plugin (libqt6svg6) there?";
    ASSERT_TRUE(Press(dialog, {"Return"}));
    const Window form = WaitForWindow({"--name", "^Zorvane( — .*)?$"});
    ASSERT_NE(form, 0u);
    QImage shown;
    ASSERT_TRUE(
        WaitUntil([&] { return FormShows(shown = Capture(form), kFrame, true); }, kAppearMs))
        << "the frames never showed";
    EXPECT_EQ(test::Run("xdotool", {"getwindowname", QString::number(form)}).out.toStdString(),
              "Zorvane — COM1 (" + pty_.Slave() + ")\n");
    EXPECT_TRUE(NameInk(shown, 25) > 3 * NameInk(shown, 26) && NameInk(shown, 26) > 0)
        << "Label26's name belongs beside Shape25, Label25's beside Shape26";

    transmitter_ = std::jthread();
    EXPECT_TRUE(WaitUntil([&] { return FormShows(Capture(form), kFrame, false); }, kAppearMs))
        << "silence did not turn the indicator red with its warning, or lost the last frame";
    RequestClose(form);
    EXPECT_TRUE(EndsWithStatusZero(kCloseMs));
    EXPECT_EQ(pty_.Settings().c_cc[VMIN], 7);
    EXPECT_EQ(pty_.Settings().c_cc[VTIME], 42);

    // Again as from a script, the port and a names file on the command line: no dialog (nobody
    // would answer it). And
    // SIGTERM just after a change: the record holds every change of the run, then its end, as
    // after the close button.
    folder_.Write("line7.ini", "IN\nJedna\n");
    Transmit(kFrame);
    StartProgram({"--names", "line7.ini", "COM1"});
    const Window again = WaitForWindow({"--name", "^Zorvane — "});
    ASSERT_TRUE(WaitUntil([&] { return FormShows(Capture(again), kFrame, true); }, kAppearMs));
    const Frame next{{0x02}};
    Transmit(next);
    ASSERT_TRUE(WaitUntil([&] { return FormShows(Capture(again), next, true); }, kAppearMs));
    program_.terminate();
    EXPECT_TRUE(EndsWithStatusZero(kCloseMs)) << "SIGTERM did not close the program normally";
    EXPECT_EQ(pty_.Settings().c_cc[VTIME], 42);
    // Both runs' lines but the link's (a busy machine may flicker it) and the line's health,
    // without their times.
    std::vector<std::string> kept;
    std::string all;
    for (const std::string& line :
         RecordLines(qEnvironmentVariable("XDG_STATE_HOME") + "/zorvane")) {
        const std::string what = line.substr(line.find(' ') + 1);
        if (!what.starts_with("link-") && !what.starts_with("line-")) kept.push_back(what);
        all += line + "\n";
    }
    const std::string lit = "01 80 55 a9 f0 3c 81 7e";
    ASSERT_EQ(kept.size(), 7u) << all;  // start, lit, end; start, lit, next, end
    EXPECT_EQ(kept[2], "record-end") << all;
    EXPECT_TRUE(kept[3].starts_with("record-start port=\"COM1\"") &&
                kept[3].ends_with(" names=\"" + folder_.Path() + "/line7.ini\""))
        << all;
    EXPECT_TRUE(kept[4].starts_with(lit + " +1 Jedna +16 ") &&
                kept[5].starts_with("02 00 00 00 00 00 00 00 -1 Jedna"))
        << all;
    EXPECT_EQ(kept[6], "record-end") << "the record was not closed\n" << all;
}

TEST_F(EndToEnd, StoppedInTheDialogOrAMissingPortEndsTheProgramWithoutOpeningOne) {
    for (const char* port : {"COM1", "COM3", "COM4"})
        folder_.Link(port, pty_.Slave());
    folder_.Link("COM2", "nowhere");
    pty_.SetTimeouts(3, 33);
    const termios before = pty_.Settings();

    StartProgram();  // stopped while the dialog is open: it ends and opens nothing
    ASSERT_NE(WaitForWindow({"--name", "^Choose port$"}), 0u);
    program_.terminate();
    EXPECT_TRUE(EndsWithStatusZero(kAppearMs)) << "SIGTERM did not end the program";
    const termios after = pty_.Settings();
    EXPECT_TRUE(after.c_cflag == before.c_cflag && after.c_cc[VMIN] == 3 && after.c_cc[VTIME] == 33)
        << "a port was opened";

    StartProgram();
    const Window dialog = WaitForWindow({"--name", "^Choose port$"});
    const Window form = WaitForWindow({"--name", "^Zorvane$"});  // no port open yet
    // The keyboard starts on COM1: Down to COM2, Return for OK. Any other port is the terminal
    // and asks nothing.
    ASSERT_TRUE(dialog != 0 && Press(dialog, {"Down", "Return"}));
    // Untitled, so found as the program's other window.
    const Window question = WaitForWindow({"--class", "^zorvane$"}, form);
    ASSERT_NE(question, 0u) << "no question about the missing COM2";
    ASSERT_TRUE(Press(question, {"n"}));
    EXPECT_TRUE(EndsWithStatusZero(kAppearMs)) << "No did not end the program";
}

// What a screen reader or a GUI test tool gets. The port is chosen through AT-SPI's Toggle
// action; only COM2 exists, so frames show only if that choice counts.
TEST_F(EndToEnd, ThroughAtSpiTheWindowTellsItsNamedLampsHexTextAndLinkAndATogglePicksThePort) {
    if (!AccessibilityBus::Installed())
        GTEST_SKIP() << "needs the accessibility bus and a reader of it: install the packages "
                        "dbus-daemon, at-spi2-core and python3-pyatspi";
    AccessibilityBus bus(folder_.Path());
    ASSERT_TRUE(bus.Ready()) << "the accessibility bus did not start";
    folder_.Link("COM2", pty_.Slave());
    Transmit(kFrame);
    qputenv("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");  // no screen reader asks for it here
    StartProgram();
    const Finished chosen = test::Run("/usr/bin/python3", {ATSPI_WINDOW_SCRIPT, "choose", "COM2"});
    ASSERT_EQ(chosen.exitCode, 0) << chosen.err.toStdString();

    QString said;
    ASSERT_TRUE(WaitUntil([&] { return Tells(said, kFrame, true); }, kAppearMs))
        << "AT-SPI gave:\n" + said.toStdString();
    transmitter_ = std::jthread();
    EXPECT_TRUE(WaitUntil([&] { return Tells(said, kFrame, false); }, kAppearMs))
        << "AT-SPI gave after silence:\n" + said.toStdString();
    RequestClose(WaitForWindow({"--name", "^Zorvane"}));  // the title names the port too
    EXPECT_TRUE(EndsWithStatusZero(kCloseMs));
}

}  // namespace
}  // namespace zorvane::test
