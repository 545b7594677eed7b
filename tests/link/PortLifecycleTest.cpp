#include "PortLifecycle.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include "Deadline.h"
#include "LifecycleFakes.h"
#include "ModalScript.h"
#include "PortGlobals.h"
#include "TOKRightDlg.h"
#include "TempCwd.h"

namespace zorvane {
namespace {

using Strings = std::vector<std::string>;

class PortLifecycleTest : public ::testing::Test {
  protected:
    void SetUp() override {
        PortChoice = 1;
        CancelPressed = false;
    }
    PortLifecycle MakeLifecycle() {
        return PortLifecycle(host_, opener_, [this] { ++ends_; });
    }
    // Pumps events until `done` or the deadline.
    static bool PumpUntil(const std::function<bool()>& done, int ms = 3000) {
        QElapsedTimer timer;
        timer.start();
        while (!done() && timer.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        return done();
    }

    test::TempCwd cwd_;  // the dialog maps port names for its tooltips
    test::FakeHost host_;
    test::FakeOpener opener_;
    int ends_ = 0;
};

struct ChoiceCase {
    const char* what;
    std::function<void(TOKRightDlg&)> act;
    const char* opened;  // nullptr: nothing may be opened
};

TEST_F(PortLifecycleTest, DialogDecidesWhichPortOpensOrEndsTheProgram) {
    const ChoiceCase cases[] = {
        {"OK", [](TOKRightDlg& d) { QTest::mouseClick(d.OKBtn, Qt::LeftButton); }, "COM1"},
        {"COM3 then OK",
         [](TOKRightDlg& d) {
             QTest::mouseClick(d.COM3, Qt::LeftButton);
             QTest::mouseClick(d.OKBtn, Qt::LeftButton);
         },
         "COM3"},
        {"close box",
         [](TOKRightDlg& d) {
             QTest::mouseClick(d.COM2, Qt::LeftButton);
             d.close();
         },
         "COM2"},
        {"Cancel", [](TOKRightDlg& d) { QTest::mouseClick(d.CancelBtn, Qt::LeftButton); }, nullptr},
        {"Esc", [](TOKRightDlg& d) { QTest::keyClick(d.COM1, Qt::Key_Escape); }, nullptr},
    };
    for (const auto& c : cases) {
        SetUp();
        host_.log.clear();
        opener_.asked.clear();
        opener_.stream = std::make_unique<std::vector<std::uint8_t>>();  // opens, stays silent
        ends_ = 0;
        {
            auto lifecycle = MakeLifecycle();
            test::ModalScript script;
            script.Then<TOKRightDlg>(c.act);
            lifecycle.PortProcedure();
            EXPECT_EQ(lifecycle.PortOpen(), c.opened != nullptr) << c.what;
        }
        EXPECT_EQ(opener_.asked, c.opened ? Strings{c.opened} : Strings{}) << c.what;
        EXPECT_EQ(ends_, c.opened ? 0 : 1) << c.what;
        EXPECT_EQ(host_.log, c.opened ? Strings({"pending=0", "pending=0"}) : Strings{"pending=0"})
            << c.what;
    }
}

TEST_F(PortLifecycleTest, FailedOpeningAsksYesChoosesAgainNoEnds) {
    opener_.failure = ErrorFromErrno("./COM1 -> /dev/ttyUSB0", EACCES);
    for (const bool yes : {true, false}) {
        host_.log.clear();
        ends_ = 0;
        auto lifecycle = MakeLifecycle();
        test::ModalScript script;
        script.Then<TOKRightDlg>([](TOKRightDlg& d) { d.OKBtn->click(); });
        script.Then<QMessageBox>([yes](QMessageBox& box) {
            EXPECT_EQ(box.text(), QString::fromUtf8("Tento port neexistuje, chcete vybrat jiný"));
            EXPECT_EQ(box.icon(), QMessageBox::Question);
            EXPECT_EQ(box.standardButtons(), QMessageBox::Yes | QMessageBox::No);
            EXPECT_TRUE(box.informativeText().contains("./COM1 -> /dev/ttyUSB0"));
            EXPECT_TRUE(box.informativeText().contains("Permission denied"));
            EXPECT_TRUE(box.informativeText().contains("dialout"));
            box.button(yes ? QMessageBox::Yes : QMessageBox::No)->click();
        });
        lifecycle.PortProcedure();

        EXPECT_EQ(ends_, yes ? 0 : 1);
        EXPECT_EQ(host_.log,
                  yes ? Strings({"pending=0", "pending=1", "restart"}) : Strings{"pending=0"});
        EXPECT_FALSE(lifecycle.PortOpen());
    }
}

TEST_F(PortLifecycleTest, DialogAfterAFailureStartsAtCom1) {
    auto lifecycle = MakeLifecycle();
    test::ModalScript script;
    script
        .Then<TOKRightDlg>([](TOKRightDlg& d) {
            QTest::mouseClick(d.COM3, Qt::LeftButton);
            d.OKBtn->click();
        })
        .Then<QMessageBox>([](QMessageBox& box) { box.button(QMessageBox::Yes)->click(); })
        .Then<TOKRightDlg>([](TOKRightDlg& d) {
            EXPECT_TRUE(d.COM1->isChecked());
            EXPECT_EQ(PortChoice, 1);
            QTest::mouseClick(d.COM4, Qt::LeftButton);
            d.OKBtn->click();
        })
        .Then<QMessageBox>([](QMessageBox& box) { box.button(QMessageBox::No)->click(); });
    lifecycle.PortProcedure();
    lifecycle.PortProcedure();  // the tick the restarted timer brings
    EXPECT_EQ(opener_.asked, Strings({"COM3", "COM4"}));
    EXPECT_EQ(ends_, 1);
}

TEST_F(PortLifecycleTest, FramesShowUntilCloseThenNeverAgain) {
    const WireFrame frame = EncodeFrame({0x01, 0x02, 0x04, 0x08, 0x10}, {0x20, 0x40, 0x80});
    opener_.stream = std::make_unique<std::vector<std::uint8_t>>(test::WireBytes(frame));
    auto lifecycle = MakeLifecycle();
    {
        test::ModalScript script;
        script.Then<TOKRightDlg>([](TOKRightDlg& d) { d.OKBtn->click(); });
        lifecycle.PortProcedure();
    }
    ASSERT_TRUE(PumpUntil([&] { return host_.frames >= 5; }));
    EXPECT_EQ(host_.lastFrame[0], 0x01);
    EXPECT_EQ(host_.lastFrame[4], 0x10);
    EXPECT_EQ(host_.lastFrame[8], 0x20);
    EXPECT_EQ(host_.lastFrame[10], 0x80);

    // Leave the reader blocked in the hand-off: the window is not pumping while it closes.
    QTest::qSleep(20);
    host_.closing = true;
    QElapsedTimer took;
    took.start();
    {
        test::Deadline guard(std::chrono::seconds(5),
                             "close procedure with a reader in the hand-off");
        lifecycle.CloseProcedure();
    }
    EXPECT_LT(took.elapsed(), 250);
    QTest::qWait(50);  // anything still queued gets its chance to run
    EXPECT_EQ(host_.framesAfterClose, 0);
    EXPECT_TRUE(opener_.record->closed);
    EXPECT_FALSE(opener_.record->closedUnderRead);
    EXPECT_FALSE(lifecycle.PortOpen());
}

TEST_F(PortLifecycleTest, CloseWithoutAnOpenPortNeitherWaitsNorTouchesOne) {
    auto lifecycle = MakeLifecycle();
    QElapsedTimer took;
    took.start();
    lifecycle.CloseProcedure();  // before any attempt
    EXPECT_LT(took.elapsed(), 20);
    {
        test::ModalScript script;
        script.Then<TOKRightDlg>([](TOKRightDlg& d) { d.OKBtn->click(); });
        script.Then<QMessageBox>([](QMessageBox& box) { box.button(QMessageBox::No)->click(); });
        lifecycle.PortProcedure();
    }
    took.restart();
    lifecycle.CloseProcedure();  // after a failed attempt
    EXPECT_LT(took.elapsed(), 20);
    EXPECT_EQ(opener_.asked.size(), 1u);
}

}  // namespace
}  // namespace zorvane
