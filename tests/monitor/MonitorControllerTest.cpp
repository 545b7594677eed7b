#include <stdlib.h>
#include <sys/stat.h>

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <atomic>
#include <filesystem>
#include <thread>

#include "MonitorController.h"
#include "PortDialog.h"
#include "Support.h"
#include "ToolkitTranslation.h"
#include "UserSettings.h"

namespace zorvane {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Names = std::vector<std::string>;
using namespace std::string_literals;

// A Czech user's desktop, set before the application object reads the locale.
const bool kCzechDesktop = ::setenv("LANG", "cs_CZ.UTF-8", 1) == 0 && ::unsetenv("LC_ALL") == 0;

// Plays the user: `act` gets each window that turns modal, with its number (0, 1, ...).
struct User {
    explicit User(std::function<void(QWidget&, int)> act) {
        QObject::connect(&timer, &QTimer::timeout, [this, act] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal != nullptr && modal != last) act(*(last = modal), seen++);
        });
        timer.start(2);
    }
    QTimer timer;
    QPointer<QWidget> last;
    int seen = 0;
};

QAbstractButton* Button(QWidget& w, const char* name) {
    return w.findChild<QAbstractButton*>(name);
}
void Choose(QWidget& dialog, const char* port) {
    QTest::mouseClick(Button(dialog, port), Qt::LeftButton);
    Button(dialog, "OKBtn")->click();
}
// As assistive technologies and test tools check a choice.
void Toggle(QAbstractButton* button) {
    QAccessible::queryAccessibleInterface(button)->actionInterface()->doAction(
        QAccessibleActionInterface::toggleAction());
}

// The main window as the controller sees it.
struct Host : MonitorView {
    void ShowFrame(const LineEvent& frame) override { frames.push_back(frame.frame); }
    void ShowLinkDown() override {}
    void ShowLineHealth(const LineHealth&) override {}
    void ShowPortWaiting(const std::string& device) override { waitingFor.push_back(device); }
    void ShowOpenPort(const std::string& name) override { titles.push_back(name); }
    void ChooseAnotherPortLater() override { ++choicesAgain; }
    QWidget* DialogParent() override { return nullptr; }
    void ShowRecordTrouble(const std::string&) override {}
    ShownNames NamesShown() const override { return {}; }

    std::vector<Frame> frames;
    Names waitingFor;
    Names titles;
    int choicesAgain = 0;
};

// A port that repeats its bytes for ever, or stays silent without any.
struct RepeatingPort : ByteSource {
    explicit RepeatingPort(std::vector<std::uint8_t> b) : bytes(std::move(b)) {}
    std::span<const std::uint8_t> Read() override {
        std::this_thread::sleep_for(200us);  // mostly inside a read
        if (bytes.empty()) return {};
        return std::span(bytes).subspan(next++ % bytes.size(), 1);
    }
    const std::vector<std::uint8_t> bytes;
    std::atomic<std::size_t> next{0};
};

// Notes the names asked for; serves a RepeatingPort, or fails when told to.
struct Opener : PortOpener {
    PortOpenResult Open(const std::string& portName, ReconnectingPort::Listener) override {
        asked.push_back(portName);
        if (failure) return {nullptr, *failure};
        auto port = std::make_unique<RepeatingPort>(bytes);
        served = port.get();
        return {std::move(port), {}};
    }
    Names asked;
    RepeatingPort* served = nullptr;
    std::vector<std::uint8_t> bytes;
    std::optional<OpenError> failure;
};

class MonitorControllerTest : public testing::Test {
  protected:
    test::TempFolder folder_;  // the dialog looks the port names up; dev/ and sys/ are ours
    DeviceCatalogue catalogue_{folder_.Path() + "/dev", folder_.Path() + "/sys"};
    Host host_;
    Opener opener_;
    int ends_ = 0;
    MonitorController controller_{host_, opener_, [this] { ++ends_; }, catalogue_};
};

TEST_F(MonitorControllerTest, TheDialogShowsWhereEachPortLeadsAndTabsInOrder) {
    test::Pty pty;
    ZORVANE_REQUIRE_PTY(pty);
    folder_.Link("COM1", folder_.Path() + "/unplugged");
    folder_.Link("COM3", pty.Slave());
    std::filesystem::create_directories(folder_.Path() + "/sys/class/tty/ttyS1");
    folder_.Write("sys/class/tty/ttyS1/type", "4");  // a real UART behind COM2
    PortDialog dialog(catalogue_);
    const std::pair<const char*, std::string> targets[] = {
        {"COM1", "./COM1 → " + folder_.Path() + "/unplugged"},
        {"COM2", "/dev/ttyS1"},
        {"COM3", "./COM3 → " + pty.Slave()},
        {"COM4", "/dev/ttyS3"}};
    for (const auto& [port, where] : targets) {
        const auto* target = dialog.findChild<QLabel*>(QString(port) + "Target");
        const bool there = port == "COM2"s || port == "COM3"s;
        EXPECT_EQ(Button(dialog, port)->toolTip().toStdString(), where);
        EXPECT_EQ(target->text() == "nenalezen", !there) << port;
        EXPECT_EQ(target->isEnabled(), there) << port;  // greyed when nothing is there
        EXPECT_EQ(Button(dialog, port)->accessibleDescription() == "nenalezen", !there) << port;
    }
    EXPECT_EQ(Button(dialog, "FoundPort1")->text(), "UART (ttyS1)");  // also found by itself
    EXPECT_TRUE(dialog.findChild<QLabel*>("NoPortsFound")->isHidden());
    QStringList order;
    for (QWidget* w = Button(dialog, "OKBtn"); order.size() < 6; w = w->nextInFocusChain())
        if (w->focusPolicy() & Qt::TabFocus) order << w->objectName();
    EXPECT_EQ(order.join(' '), "OKBtn CancelBtn COM1 COM2 COM3 COM4");
    EXPECT_EQ(dialog.geometry().center(), dialog.screen()->availableGeometry().center());
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize()) << "a dialog of fixed size";
    EXPECT_EQ(dialog.size(), dialog.minimumSize());
    // Every control inside the dialog, none over another but the radio buttons on their bevel.
    const auto controls = dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (const QWidget* a : controls) {
        EXPECT_TRUE(dialog.rect().contains(a->geometry())) << a->objectName().toStdString();
        for (const QWidget* b : controls)
            EXPECT_TRUE(a == b || a->objectName() == "Bevel1" || b->objectName() == "Bevel1" ||
                        !a->geometry().intersects(b->geometry()))
                << a->objectName().toStdString() << " " << b->objectName().toStdString();
    }
}

// The control the keyboard is on, found as assistive technology finds it.
QAccessibleInterface* Focused(QAccessibleInterface* node) {
    if (node->state().focused) return node;
    for (int i = 0; i < node->childCount(); ++i)
        if (QAccessibleInterface* focused = Focused(node->child(i))) return focused;
    return nullptr;
}

// The keyboard starts on the port offered (so that the arrow keys choose and Return presses OK,
// as the end-to-end test does): the one remembered when it is there, else COM1, but the adapter
// found when there is no ./COM1 and /dev/ttyS0 is the console or not fitted.
TEST_F(MonitorControllerTest, TheDialogOffersAPortThatOpensWithTheKeyboardOnIt) {
    test::Pty adapter;
    ZORVANE_REQUIRE_PTY(adapter);
    const std::string tty = "sys/class/tty/", byId = folder_.Path() + "/dev/serial/by-id";
    for (const std::string& folder :
         {tty + "ttyS0", tty + "console", std::string("dev/serial/by-id")})
        std::filesystem::create_directories(folder_.Path() + "/" + folder);
    std::filesystem::create_symlink(adapter.Slave(), byId + "/usb-FTDI_FT232R_USB_UART_A1-if00");
    folder_.Link("COM3", adapter.Slave());
    const char* found = "FTDI FT232R USB UART · A1 (";
    const struct {
        const char *type, *console, *com1, *remembered, *offered;
    } cases[] = {
        {"4", "ttyS0", nullptr, "", found},     // the console
        {"0", "tty0", nullptr, "COM4", found},  // not fitted; COM4 gone
        {"4", "tty0", nullptr, "", "COM1"},    {"4", "ttyS0", nullptr, "COM3", "COM3"},
        {"4", "ttyS0", "nowhere", "", "COM1"},  // ./COM1 counts wherever it leads
    };
    for (const auto& c : cases) {
        folder_.Write(tty + "ttyS0/type", c.type);
        folder_.Write(tty + "console/active", c.console);
        std::filesystem::remove(folder_.Path() + "/COM1");
        if (c.com1) folder_.Link("COM1", c.com1);
        PortDialog dialog(catalogue_, c.remembered);
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
        const auto* focused = Focused(QAccessible::queryAccessibleInterface(&dialog));
        ASSERT_TRUE(focused && focused->state().checked) << c.offered;
        EXPECT_TRUE(focused->text(QAccessible::Name).startsWith(c.offered)) << c.offered;
    }
}

TEST_F(MonitorControllerTest, OnlyCancelOrEscEndsTheProgramElseTheChosenPortOpens) {
    const std::pair<const char*, std::function<void(QWidget&)>> cases[] = {
        {"COM1", [](QWidget& d) { Button(d, "OKBtn")->click(); }},
        {"COM3", [](QWidget& d) { Choose(d, "COM3"); }},
        {"COM2",
         [](QWidget& d) {
             QTest::mouseClick(Button(d, "COM2"), Qt::LeftButton);
             d.close();  // the close box goes on with the chosen port
         }},
        // Checked however: the checked port is the one that opens.
        {"COM4",
         [](QWidget& d) {
             Toggle(Button(d, "COM4"));
             Button(d, "OKBtn")->click();
         }},
        {nullptr, [](QWidget& d) { Button(d, "CancelBtn")->click(); }},
        {nullptr, [](QWidget& d) { QTest::keyClick(&d, Qt::Key_Escape); }},
    };
    // The user's own file, comments and all, is only read; what is remembered goes elsewhere.
    const QString settings = UserSettings::DefaultFile();
    const QByteArray own = "; mine\n[record]\nfolder=/data/rec   # big disk\n\n[port]\nlast=COM2\n";
    ASSERT_TRUE(QDir().mkpath(QFileInfo(settings).path()));
    QFile file(settings);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(own) == own.size());
    file.close();
    const WireBytes frame = EncodeFrame({});
    for (const auto& [port, act] : cases) {
        Host host;
        Opener opener;
        opener.bytes.assign(frame.begin(), frame.end());
        int ends = 0;
        {
            MonitorController controller(
                host, opener, [&] { ++ends; }, catalogue_);
            User user([&](QWidget& dialog, int) { act(dialog); });
            controller.ChooseAndOpenPort();
            EXPECT_EQ(controller.PortOpen(), port != nullptr) << port;
            // Not pumping: once it has read the frame, the reader waits in the hand-off.
            for (int ms = 0; port && opener.served->next < frame.size() && ms < 5000; ++ms)
                std::this_thread::sleep_for(1ms);
        }  // the controller goes, and the reader with it; without a port it does nothing
        EXPECT_EQ(opener.asked, port ? Names{port} : Names{}) << port;
        EXPECT_EQ(ends, port ? 0 : 1) << port;
    }
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), own);
    EXPECT_EQ(UserSettings().LastPort(), "COM4");
    QTimer::singleShot(0, &MonitorController::QuitApplication);
    EXPECT_EQ(QApplication::exec(), 0) << "ending the program is a normal exit";
}

// The port asked for at start opens without the dialog; the question names what failed.
TEST_F(MonitorControllerTest, AFailureAsksYesBringsAFreshDialogNoEnds) {
    InstallToolkitTranslation(*qApp);
    const std::string device = "./COM3 -> /dev/ttyUSB0";
    const std::pair<OpenError, const char*> failures[] = {
        {ErrorFromErrno(device, EACCES), "K tomuto portu nemáte přístup, chcete vybrat jiný"},
        {ErrorFromErrno(device, EBUSY), "Tento port používá jiný program, chcete vybrat jiný"},
        {{PortError::Console, device, 0}, "Tento port je systémová konzole, chcete vybrat jiný"},
        {ErrorFromErrno(device, ENOENT), "Tento port neexistuje, chcete vybrat jiný"}};
    opener_.failure = failures[0].first;
    controller_.OpenAtStart("COM3");
    User user([&](QWidget& window, int n) {
        auto* box = qobject_cast<QMessageBox*>(&window);
        if (box == nullptr) {
            EXPECT_EQ(static_cast<PortDialog&>(window).Chosen().port, "COM1");  // a fresh dialog
            opener_.failure = failures[(n + 1) / 2].first;
            return Choose(window, n == 1 ? "COM4" : n == 3 ? "COM2" : "COM1");
        }
        EXPECT_EQ(box->text(), QString::fromUtf8(failures[n / 2].second));
        EXPECT_EQ(box->informativeText().toStdString(), opener_.failure->CzechReason());
        EXPECT_EQ(box->button(QMessageBox::Yes)->text().remove('&'), "Ano");
        EXPECT_EQ(box->button(QMessageBox::No)->text().remove('&'), "Ne");
        box->button(n < 6 ? QMessageBox::Yes : QMessageBox::No)->click();
    });
    for (int tick = 0; tick < 4; ++tick)  // the watchdog's ticks
        controller_.ChooseAndOpenPort();
    EXPECT_EQ(host_.choicesAgain, 3);
    EXPECT_EQ(user.seen, 7);
    EXPECT_EQ(opener_.asked, Names({"COM3", "COM4", "COM2", "COM1"}));
    EXPECT_EQ(ends_, 1);

    const auto started = Clock::now();
    controller_.Close();  // without a port: nothing to wait for, nothing to touch
    EXPECT_LT(Clock::now() - started, MonitorController::kReaderGrace);
    controller_.ChooseAndOpenPort();  // a late tick: once closed, no dialog and no port
    EXPECT_EQ(user.seen, 7);
    EXPECT_EQ(opener_.asked.size(), 4u);
}

// An unplugged adapter comes back as a new device behind the same COM1; a silent one is kept.
TEST_F(MonitorControllerTest, ALostPortIsClosedAndOpenedAgainWhenItComesBack) {
    test::Pty pty, replugged;
    ZORVANE_REQUIRE_PTY(pty);
    folder_.Link("COM1", pty.Slave());
    SystemPortOpener system;
    MonitorController controller(host_, system, [this] { ++ends_; });
    User user([](QWidget& dialog, int) { Choose(dialog, "COM1"); });
    std::error_code noStdin;  // then there is nothing to compare
    const auto stdinBefore = std::filesystem::read_symlink("/proc/self/fd/0", noStdin);
    controller.ChooseAndOpenPort();
    QTest::qWait(1200);  // silent but there: kept
    EXPECT_TRUE(host_.waitingFor.empty());
    EXPECT_EQ(test::OpenDescriptors(QCoreApplication::applicationPid(), pty.Slave()), 1);
    ASSERT_TRUE(pty.Write(EncodeFrame({{1}})));
    ASSERT_TRUE(test::WaitUntil([&] { return !host_.frames.empty(); }));

    const WireBytes cut = EncodeFrame({{3}});
    ASSERT_TRUE(pty.Write(std::span(cut).first(11)));  // unplugged before its C2
    QTest::qWait(200);
    pty.CloseMaster();
    ASSERT_TRUE(test::WaitUntil([&] { return !host_.waitingFor.empty(); }));
    EXPECT_EQ(host_.waitingFor.back(), "./COM1 -> " + pty.Slave());
    EXPECT_EQ(test::OpenDescriptors(QCoreApplication::applicationPid(), pty.Slave()), 0);
    std::error_code ignored;
    EXPECT_EQ(std::filesystem::read_symlink("/proc/self/fd/0", ignored), stdinBefore)
        << "only the port's own descriptor is closed";
    EXPECT_EQ(host_.frames.size(), 1u) << "a lost port reads nothing";

    ASSERT_TRUE(replugged.Write(EncodeFrame({{4}})));  // waited before it was opened: old
    folder_.Link("COM1", replugged.Slave());
    ASSERT_TRUE(test::WaitUntil([&] { return host_.waitingFor.back().empty(); }, 2000));
    // The first AA completes the frame cut short; the second frame is whole.
    for (int i = 0; i < 2; ++i)
        ASSERT_TRUE(replugged.Write(EncodeFrame({{2}})));
    EXPECT_TRUE(test::WaitUntil([&] { return host_.frames.back() == Frame{{2}}; }, 2000));
    EXPECT_EQ(host_.frames, (std::vector<Frame>{{{1}}, {{3}}, {{2}}}));
    EXPECT_EQ(host_.titles, Names{"COM1 (" + pty.Slave() + ")"});
    EXPECT_EQ(ends_, 0);
}

// Plugged in while the dialog is open (the by-id folder comes with the first adapter), chosen,
// opened by its stable name, so that a replug is followed (as any lost port's name is), and
// offered first at the next start.
TEST_F(MonitorControllerTest, AnAdapterPluggedInWhileTheDialogIsOpenIsChosenFollowedAndRemembered) {
    test::Pty pty, replugged;
    ZORVANE_REQUIRE_PTY(pty);
    const std::string byId = folder_.Path() + "/dev/serial/by-id";
    const std::string adapter = byId + "/usb-FTDI_FT232R_USB_UART_A10K5XYZ-if00-port0";
    const QString listed =
        QString::fromStdString("FTDI FT232R USB UART · A10K5XYZ (" + pty.Slave().substr(5) + ")");
    SystemPortOpener system;
    MonitorController controller(
        host_, system, [this] { ++ends_; }, catalogue_);
    {
        User user([&](QWidget& dialog, int) {
            EXPECT_TRUE(dialog.findChild<QLabel*>("NoPortsFound")->isVisible());
            std::filesystem::create_directories(byId);
            std::filesystem::create_symlink(pty.Slave(), adapter);
            QAbstractButton* found = nullptr;
            ASSERT_TRUE(test::WaitUntil(
                [&] { return (found = Button(dialog, "FoundPort1")) && found->isVisible(); },
                2 * PortDialog::kRescanInterval.count()));
            const QRect place(found->mapTo(&dialog, QPoint()), found->size());
            EXPECT_TRUE(found->height() >= found->sizeHint().height() &&
                        dialog.rect().contains(place))
                << "the dialog grows to show it";
            EXPECT_EQ(found->text(), listed);
            EXPECT_EQ(QAccessible::queryAccessibleInterface(found)->text(QAccessible::Name),
                      listed);
            EXPECT_FALSE(dialog.findChild<QLabel*>("NoPortsFound")->isVisible());
            Toggle(found);
            found->setFocus();
            // Another adapter comes, and a COM4 link: the same button stays chosen and keeps
            // the keyboard, COM4 shows where it leads.
            const std::string other = byId + "/usb-1a86_USB_Serial-if00-port0";
            std::filesystem::create_symlink(replugged.Slave(), other);
            folder_.Link("COM4", pty.Slave());
            ASSERT_TRUE(test::WaitUntil([&] { return Button(dialog, "FoundPort2"); }, 1000));
            EXPECT_EQ(Button(dialog, "FoundPort2"), found);  // sorted after 1a86
            EXPECT_TRUE(found->isChecked() && found->hasFocus());
            EXPECT_TRUE(dialog.findChild<QLabel*>("COM4Target")->isEnabled());
            std::filesystem::remove(other);
            ASSERT_TRUE(test::WaitUntil([&] { return !Button(dialog, "FoundPort2"); }, 1000));
            EXPECT_EQ(Button(dialog, "FoundPort1"), found);
            EXPECT_TRUE(found->isChecked() && found->hasFocus());
            Button(dialog, "OKBtn")->click();
        });
        controller.ChooseAndOpenPort();
    }
    EXPECT_EQ(host_.titles, Names{"FTDI FT232R USB UART · A10K5XYZ"});
    ASSERT_TRUE(pty.Write(EncodeFrame({{1}})));
    ASSERT_TRUE(test::WaitUntil([&] { return !host_.frames.empty(); }));

    controller.Close();

    MonitorController nextStart(
        host_, opener_, [this] { ++ends_; }, catalogue_);
    User user([](QWidget& dialog, int) {
        EXPECT_TRUE(Button(dialog, "FoundPort1")->isChecked());
        Button(dialog, "OKBtn")->click();
    });
    nextStart.ChooseAndOpenPort();
    EXPECT_EQ(opener_.asked, Names{adapter});
    EXPECT_EQ(ends_, 0);
}

// A state file that cannot be used gives the defaults (the port the settings file of an earlier
// version keeps); one that cannot be written loses the change and nothing else. Neither blocks:
// a FIFO would, if it were read.
TEST(UserSettings, ABadStateFileGivesTheDefaultsAndStopsNothing) {
    test::TempFolder folder;
    EXPECT_EQ(UserSettings::DefaultFile(),
              qEnvironmentVariable("XDG_CONFIG_HOME") + "/zorvane/zorvane.conf");
    EXPECT_EQ(UserSettings::DefaultStateFile(),
              qEnvironmentVariable("XDG_STATE_HOME") + "/zorvane/state.ini");
    folder.Write("garbage.ini", "\xff\x01[[=\n\0,\n"s);
    folder.Write("list.ini", "[port]\nlast=COM2,COM3\n");  // a list where one port belongs
    folder.Write("file", "");
    folder.Write("old.conf", "[port]\nlast=COM2\n");
    ASSERT_TRUE(QDir(QString::fromStdString(folder.Path())).mkdir("folder.ini"));
    ASSERT_EQ(::mkfifo((folder.Path() + "/fifo.ini").c_str(), 0600), 0);
    const std::pair<const char*, bool> cases[] = {{"new/state.ini", true},   {"garbage.ini", true},
                                                  {"list.ini", true},        {"folder.ini", false},
                                                  {"file/state.ini", false}, {"fifo.ini", false}};
    const QString port = "/dev/serial/by-id/usb-A=B,_C;D-if00";
    for (const auto& [name, writable] : cases) {
        UserSettings settings(QString::fromStdString(folder.Path() + "/old.conf"),
                              QString::fromStdString(folder.Path() + "/" + name));
        EXPECT_EQ(settings.LastPort(), "COM2") << name;
        EXPECT_EQ(settings.SetLastPort(port), writable) << name;
        EXPECT_EQ(settings.LastPort(), writable ? port : "COM2") << name;
    }
    using std::filesystem::perms;
    EXPECT_EQ(std::filesystem::status(folder.Path() + "/new").permissions() &
                  (perms::group_all | perms::others_all),
              perms::none)
        << "private to the user";
}

// What the user writes under [record] is taken when usable; anything else gives the default: on,
// in the state folder, 200 MB.
TEST(UserSettings, TheRecordIsOnInTheStateFolderUnlessTheFileSaysOtherwise) {
    test::TempFolder folder;
    const QString home = qEnvironmentVariable("HOME");
    const QByteArray state = qgetenv("XDG_STATE_HOME");
    const QString stateFolder = state + "/zorvane";
    const struct {
        const char* text;
        bool on;
        QString folder;
        std::uint64_t limit;
    } cases[] = {
        {"", true, stateFolder, 200'000'000},
        {"[record]\nenabled=false\nfolder=/var/tmp/rec/\nlimit_mb=50\n", false, "/var/tmp/rec",
         50'000'000},
        {"[record]\nenabled=Off\nlimit_mb=1\n", false, stateFolder, 1'000'000},
        {"[record]\nenabled=yes\nfolder=rec\nlimit_mb=0\n", true, stateFolder, 200'000'000},
        {"[record]\nenabled=\nfolder=/a,/b\nlimit_mb=2e3\n", true, stateFolder, 200'000'000},
    };
    for (const auto& c : cases) {
        folder.Write("zorvane.conf", c.text);
        const UserSettings settings(QString::fromStdString(folder.Path() + "/zorvane.conf"));
        EXPECT_EQ(settings.RecordOn(), c.on) << c.text;
        EXPECT_EQ(settings.RecordFolder(), c.folder) << c.text;
        EXPECT_EQ(settings.RecordLimitBytes(), c.limit) << c.text;
    }
    for (const char* unusable : {"", "relative/state"}) {
        qputenv("XDG_STATE_HOME", unusable);
        EXPECT_EQ(UserSettings::DefaultRecordFolder(), home + "/.local/state/zorvane") << unusable;
    }
    qputenv("XDG_STATE_HOME", state);
}

}  // namespace
}  // namespace zorvane
