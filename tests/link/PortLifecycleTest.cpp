#include "PortLifecycle.h"

#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include "Frame.h"
#include "LinkTestSupport.h"
#include "PortDialog.h"
#include "UiTestSupport.h"

namespace zorvane {
namespace {

using Strings = std::vector<std::string>;
using DialogAct = std::function<void(PortDialog&)>;

class PortLifecycleTest : public ::testing::Test {
  protected:
    test::TempCwd cwd_;  // the dialog maps port names for its tooltips
    test::FakeHost host_;
    test::FakeOpener opener_;
    int ends_ = 0;
    PortLifecycle lifecycle_{host_, opener_, [this] { ++ends_; }};
};

QAbstractButton* Button(PortDialog& d, const char* name) {
    return d.findChild<QAbstractButton*>(name);
}

void Choose(PortDialog& d, const char* port) {
    QTest::mouseClick(Button(d, port), Qt::LeftButton);
    Button(d, "OKBtn")->click();
}

TEST_F(PortLifecycleTest, DialogDecidesWhichPortOpensOrEndsTheProgram) {
    const std::tuple<const char*, DialogAct, const char*> cases[] = {
        {"OK", [](PortDialog& d) { Button(d, "OKBtn")->click(); }, "COM1"},
        {"COM3, OK", [](PortDialog& d) { Choose(d, "COM3"); }, "COM3"},
        {"COM2, close box",
         [](PortDialog& d) {
             QTest::mouseClick(Button(d, "COM2"), Qt::LeftButton);
             d.close();
         },
         "COM2"},
        {"Cancel", [](PortDialog& d) { Button(d, "CancelBtn")->click(); }, nullptr},
        {"Esc", [](PortDialog& d) { QTest::keyClick(Button(d, "COM1"), Qt::Key_Escape); }, nullptr},
    };
    for (const auto& [what, act, opened] : cases) {
        test::FakeHost host;
        test::FakeOpener opener;
        opener.bytes.emplace();  // opens, stays silent
        int ends = 0;
        {
            PortLifecycle lifecycle(host, opener, [&ends] { ++ends; });
            test::ModalScript script;
            script.Then<PortDialog>(act);
            lifecycle.ChooseAndOpenPort();
            EXPECT_EQ(lifecycle.PortOpen(), opened != nullptr) << what;
        }
        EXPECT_EQ(opener.asked, opened ? Strings{opened} : Strings{}) << what;
        EXPECT_EQ(ends, opened ? 0 : 1) << what;
        EXPECT_EQ(host.log, Strings{}) << what;
    }
}

TEST_F(PortLifecycleTest, FailureAsksYesBringsAFreshDialogNoEnds) {
    opener_.failure = ErrorFromErrno("./COM3 -> /dev/ttyUSB0", EACCES);
    test::ModalScript script;
    script.Then<PortDialog>([](PortDialog& d) { Choose(d, "COM3"); })
        .Then<QMessageBox>([this](QMessageBox& box) {
            EXPECT_EQ(box.text(), QString::fromUtf8("Tento port neexistuje, chcete vybrat jiný"));
            EXPECT_EQ(box.icon(), QMessageBox::Question);
            EXPECT_EQ(box.standardButtons(), QMessageBox::Yes | QMessageBox::No);
            EXPECT_EQ(box.informativeText().toStdString(), opener_.failure.CzechReason());
            EXPECT_TRUE(box.informativeText().contains("dialout"));
            EXPECT_EQ(box.button(QMessageBox::Yes)->text().remove('&'), "Ano");
            EXPECT_EQ(box.button(QMessageBox::No)->text().remove('&'), "Ne");
            box.button(QMessageBox::Yes)->click();
        })
        .Then<PortDialog>([](PortDialog& d) {
            EXPECT_TRUE(Button(d, "COM1")->isChecked());
            EXPECT_EQ(d.ChosenPort(), 1);
            Choose(d, "COM4");
        })
        .Then<QMessageBox>([](QMessageBox& box) { box.button(QMessageBox::No)->click(); });

    lifecycle_.ChooseAndOpenPort();
    EXPECT_EQ(host_.log, Strings({"choose again"}));
    EXPECT_EQ(ends_, 0);
    lifecycle_.ChooseAndOpenPort();  // the tick the restarted timer brings
    EXPECT_EQ(opener_.asked, Strings({"COM3", "COM4"}));
    EXPECT_EQ(ends_, 1);
    EXPECT_FALSE(lifecycle_.PortOpen());
}

TEST_F(PortLifecycleTest, FramesShowUntilCloseThenNeverAgain) {
    const WireBytes frame = EncodeFrame({{0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80}});
    opener_.bytes.emplace(frame.begin(), frame.end());
    {
        test::ModalScript script;
        script.Then<PortDialog>([](PortDialog& d) { Button(d, "OKBtn")->click(); });
        lifecycle_.ChooseAndOpenPort();
    }
    ASSERT_TRUE(test::PumpUntil([&] { return host_.frames >= 5; }));
    EXPECT_EQ(host_.lastFrame, (Frame{{0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80}}));

    QTest::qSleep(20);  // not pumping: the reader now waits in the hand-off
    host_.closing = true;
    QElapsedTimer took;
    took.start();
    {
        test::Deadline guard(std::chrono::seconds(5), "close with the reader in the hand-off");
        lifecycle_.Close();
    }
    EXPECT_LT(took.elapsed(), 250);
    QTest::qWait(50);  // whatever was still queued gets its chance
    EXPECT_EQ(host_.framesAfterClose, 0);
    EXPECT_EQ(*opener_.closedUnderRead, 0);
}

TEST_F(PortLifecycleTest, CloseWithoutAnOpenPortNeitherWaitsNorTouchesOne) {
    const auto closeTakes = [this] {
        QElapsedTimer took;
        took.start();
        lifecycle_.Close();
        return took.elapsed();
    };
    EXPECT_LT(closeTakes(), 20);  // before any attempt
    test::ModalScript script;
    script.Then<PortDialog>([](PortDialog& d) { Button(d, "OKBtn")->click(); })
        .Then<QMessageBox>([](QMessageBox& box) { box.button(QMessageBox::No)->click(); });
    lifecycle_.ChooseAndOpenPort();
    EXPECT_LT(closeTakes(), 20);  // after a failed attempt
    EXPECT_EQ(opener_.asked.size(), 1u);
}

}  // namespace
}  // namespace zorvane
