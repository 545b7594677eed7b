// Before the port is open: the names message, the port dialog, a port that is not there.
#include <algorithm>

#include "E2eFixture.h"
#include "Poll.h"
#include "ProcessFds.h"

namespace zorvane::e2e {
namespace {

const char kPattern[] = "0F00000001F00001";

using StartupTest = E2eTest;

TEST_F(StartupTest, MissingNamesIniIsReportedBeforeThePortDialog) {
    StartSimOnCom1(kPattern);
    StartProgram();
    const auto box = WaitForMessageBox();
    ASSERT_TRUE(box) << "no message box; windows: " << Describe(x_->Visible());
    // The message comes while the window is being created: before it is shown, and before the
    // timer that opens the dialog (40 ms after the message is gone) starts.
    EXPECT_FALSE(PollUntil(300ms,
                           [&] {
                               for (const TopWindow& w : x_->Visible())
                                   if (w.title == "Choose port" ||
                                       (w.title == "Zorvane" && !w.dialog))
                                       return true;
                               return false;
                           }))
        << "the port dialog or the main window came while the message was up: "
        << Describe(x_->Visible());
    ASSERT_TRUE(keys_->Press(box->id, {"Return"}));
    const auto dialog = WaitForPortDialog();
    ASSERT_TRUE(dialog) << "no dialog after the message; windows: " << Describe(x_->Visible());
    EXPECT_TRUE(PollUntil(kAppear, [&] {
        for (const TopWindow& w : x_->Visible())
            if (w.id == box->id) return false;
        return true;
    })) << "the message stayed up";
    ASSERT_TRUE(keys_->Press(dialog->id, {"Return"}));
    const auto main = WaitForMainWindow();
    ASSERT_TRUE(main);
    // Frames flow with nameless lamps.
    EXPECT_EQ(WaitForForm(main->id,
                          [&](const Form1View& view) {
                              std::string problem = view.LampMismatches(ParseHex16(kPattern));
                              for (int lamp = 1; lamp <= 64; ++lamp)
                                  if (view.NameInkBeside(lamp))
                                      problem += " name beside Shape" + std::to_string(lamp);
                              return problem;
                          }),
              "");
}

TEST_F(StartupTest, ClosingTheDialogByItsCloseBoxOpensTheChosenPort) {
    ASSERT_TRUE(dir_.Write("names.ini", SampleNames()));
    StartSimOnCom1(kPattern);
    StartProgram();
    const auto dialog = WaitForPortDialog();
    ASSERT_TRUE(dialog) << "no dialog; windows: " << Describe(x_->Visible());
    ASSERT_TRUE(x_->RequestClose(dialog->id));
    const auto main = WaitForMainWindow();
    ASSERT_TRUE(main);
    EXPECT_EQ(WaitForForm(main->id,
                          [&](const Form1View& view) {
                              std::string problem = view.LampMismatches(ParseHex16(kPattern));
                              if (view.Indicator() != Form1View::Link::Alive)
                                  problem += " prijem not green";
                              return problem;
                          }),
              "")
        << "closing the dialog did not go on with COM1";
}

// A port whose COM2 link dangles: chosen with the keyboard, it cannot be opened.
class MissingPortTest : public E2eTest {
  protected:
    // Chooses COM2 with the keys a person would use and waits for the question.
    std::optional<TopWindow> ChooseCom2AndWaitForQuestion() {
        EXPECT_TRUE(dir_.Write("names.ini", SampleNames()));
        StartSimOnCom1(kPattern);
        // Every other port reaches the transmitter: choosing one by mistake shows no question.
        EXPECT_TRUE(dir_.Link(3, "sim-pty"));
        EXPECT_TRUE(dir_.Link(4, "sim-pty"));
        StartProgram();
        const auto dialog = WaitForPortDialog();
        EXPECT_TRUE(dialog) << "no dialog; windows: " << Describe(x_->Visible());
        if (!dialog) return std::nullopt;
        // Focus starts on OK: Tab to Cancel, Tab into the port group (COM1), Down to COM2.
        EXPECT_TRUE(keys_->Press(dialog->id, {"Tab", "Tab", "Down", "Return"}));
        const auto question = WaitForMessageBox();
        EXPECT_TRUE(question) << "no question; windows: " << Describe(x_->Visible());
        EXPECT_FALSE(PortDialogShown());
        return question;
    }
};

TEST_F(MissingPortTest, AnsweringNoEndsTheProgramWithStatusZero) {
    const auto question = ChooseCom2AndWaitForQuestion();
    ASSERT_TRUE(question);
    ASSERT_TRUE(keys_->Press(question->id, {"n"}));
    ASSERT_TRUE(program_->WaitExit(kExit)) << "still running after No";
    EXPECT_EQ(program_->ExitStatus(), 0);
}

TEST_F(MissingPortTest, AnsweringYesOffersAFreshDialogThatStartsAtCom1) {
    const auto question = ChooseCom2AndWaitForQuestion();
    ASSERT_TRUE(question);
    ASSERT_TRUE(keys_->Press(question->id, {"y"}));
    // Return at once: only a dialog that starts again at COM1 opens the transmitter's port.
    OpenCom1AndWaitForFrames(ParseHex16(kPattern));
}

bool SameSettings(const termios& a, const termios& b) {
    return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag &&
           a.c_lflag == b.c_lflag && std::equal(a.c_cc, a.c_cc + NCCS, b.c_cc) &&
           cfgetispeed(&a) == cfgetispeed(&b) && cfgetospeed(&a) == cfgetospeed(&b);
}

TEST_F(StartupTest, EscapeInTheDialogEndsWithoutTouchingAnyPort) {
    pty_ = std::make_unique<Pty>();
    if (!pty_->Ok()) GTEST_SKIP() << "needs pseudo-terminals: mount devpts so /dev/ptmx works";
    termios marked = pty_->Settings();
    marked.c_cc[VMIN] = 3;
    marked.c_cc[VTIME] = 33;
    cfsetispeed(&marked, B1200);
    cfsetospeed(&marked, B1200);
    ASSERT_TRUE(pty_->SetSettings(marked));
    const termios before = pty_->Settings();
    for (int port = 1; port <= 4; ++port)
        ASSERT_TRUE(dir_.Link(port, pty_->SlavePath()));
    ASSERT_TRUE(dir_.Write("names.ini", SampleNames()));
    StartProgram();
    const auto dialog = WaitForPortDialog();
    ASSERT_TRUE(dialog) << "no dialog; windows: " << Describe(x_->Visible());
    EXPECT_FALSE(Holds(program_->Pid(), pty_->SlavePath()));
    ASSERT_TRUE(keys_->Press(dialog->id, {"Escape"}));
    ASSERT_TRUE(program_->WaitExit(kExit)) << "still running after Esc";
    EXPECT_EQ(program_->ExitStatus(), 0);
    EXPECT_TRUE(SameSettings(pty_->Settings(), before)) << "the port's settings changed";
}

}  // namespace
}  // namespace zorvane::e2e
