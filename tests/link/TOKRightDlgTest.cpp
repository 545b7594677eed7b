#include "TOKRightDlg.h"

#include <QFrame>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <functional>

#include <gtest/gtest.h>

#include "PortGlobals.h"
#include "TempCwd.h"

namespace zorvane {
namespace {

// Every dialog maps port names, so each test runs in its own directory of COMn links.
class TOKRightDlgTest : public ::testing::Test {
  protected:
    void SetUp() override {
        PortChoice = 4;
        CancelPressed = false;
    }
    test::TempCwd cwd_;
};

TEST_F(TOKRightDlgTest, ControlsStandWhereTheLayoutPutsThem) {
    TOKRightDlg dlg;
    EXPECT_EQ(dlg.objectName(), "OKRightDlg");
    EXPECT_EQ(dlg.windowTitle(), "Choose port");
    EXPECT_EQ(dlg.size(), QSize(384, 179));
    EXPECT_EQ(dlg.minimumSize(), dlg.maximumSize());

    const std::pair<const char*, QRect> layout[] = {
        {"Bevel1", {8, 8, 281, 161}}, {"OKBtn", {300, 8, 75, 25}}, {"CancelBtn", {300, 38, 75, 25}},
        {"COM1", {32, 32, 113, 17}},  {"COM2", {32, 64, 113, 17}}, {"COM3", {32, 96, 113, 17}},
        {"COM4", {32, 128, 113, 17}},
    };
    for (const auto& [name, rect] : layout) {
        const auto* control = dlg.findChild<QWidget*>(name);
        ASSERT_NE(control, nullptr) << name;
        EXPECT_EQ(control->geometry(), rect) << name;
    }
    EXPECT_TRUE(dlg.OKBtn->isDefault());
    EXPECT_FALSE(dlg.CancelBtn->isDefault());
    EXPECT_EQ(dlg.OKBtn->text(), "OK");
    EXPECT_EQ(dlg.CancelBtn->text(), "Cancel");
    EXPECT_EQ(dlg.COM3->text(), "COM3");
}

TEST_F(TOKRightDlgTest, TabGoesFromOkThroughCancelToThePorts) {
    TOKRightDlg dlg;
    QStringList order;
    QWidget* w = dlg.OKBtn;
    for (int i = 0; i < 6; ++i, w = w->nextInFocusChain()) {
        while (!(w->focusPolicy() & Qt::TabFocus))
            w = w->nextInFocusChain();
        order << w->objectName();
    }
    EXPECT_EQ(order.join(' '), "OKBtn CancelBtn COM1 COM2 COM3 COM4");
}

TEST_F(TOKRightDlgTest, TooltipsNameTheMappedDevices) {
    cwd_.Link("COM1", "/dev/pts/77");
    TOKRightDlg dlg;
    EXPECT_EQ(dlg.COM1->toolTip(), "./COM1 -> /dev/pts/77");
    EXPECT_EQ(dlg.COM2->toolTip(), "/dev/ttyS1");
    EXPECT_EQ(dlg.COM4->toolTip(), "/dev/ttyS3");
}

struct DialogCase {
    const char* what;
    std::function<void(TOKRightDlg&)> act;
    int choice;
    bool cancelled;
};

TEST_F(TOKRightDlgTest, OnlyTheCancelButtonOrEscCancels) {
    const DialogCase cases[] = {
        {"COM3 then OK",
         [](TOKRightDlg& d) {
             QTest::mouseClick(d.COM3, Qt::LeftButton);
             QTest::mouseClick(d.OKBtn, Qt::LeftButton);
         },
         3, false},
        {"Return presses OK", [](TOKRightDlg& d) { QTest::keyClick(d.COM2, Qt::Key_Return); }, 1,
         false},
        {"close box keeps the choice",
         [](TOKRightDlg& d) {
             QTest::mouseClick(d.COM4, Qt::LeftButton);
             d.close();
         },
         4, false},
        {"Cancel", [](TOKRightDlg& d) { QTest::mouseClick(d.CancelBtn, Qt::LeftButton); }, 1, true},
        {"Esc", [](TOKRightDlg& d) { QTest::keyClick(d.COM2, Qt::Key_Escape); }, 1, true},
    };
    for (const auto& c : cases) {
        CancelPressed = false;
        TOKRightDlg dlg;
        dlg.show();
        c.act(dlg);
        EXPECT_FALSE(dlg.isVisible()) << c.what;
        EXPECT_EQ(PortChoice, c.choice) << c.what;
        EXPECT_EQ(CancelPressed, c.cancelled) << c.what;
    }
}

TEST_F(TOKRightDlgTest, EveryNewDialogStartsAtCom1) {
    {
        TOKRightDlg first;
        first.show();
        QTest::mouseClick(first.COM3, Qt::LeftButton);
        ASSERT_EQ(PortChoice, 3);
    }
    TOKRightDlg second;
    EXPECT_EQ(PortChoice, 1);
    EXPECT_TRUE(second.COM1->isChecked());
    EXPECT_FALSE(second.COM3->isChecked());
}

}  // namespace
}  // namespace zorvane
