#include "PortDialog.h"

#include <QFrame>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include "LinkTestSupport.h"
#include "UiTestSupport.h"

namespace zorvane {
namespace {

// Every dialog maps port names for its tooltips, so each test has its own directory.
class PortDialogTest : public ::testing::Test {
  protected:
    test::TempCwd cwd_;
};

TEST_F(PortDialogTest, LayoutTabOrderAndTooltips) {
    cwd_.Link("COM1", "/dev/pts/77");
    PortDialog dlg;
    EXPECT_EQ(dlg.objectName(), "OKRightDlg");
    EXPECT_EQ(dlg.windowTitle(), "Choose port");
    EXPECT_EQ(dlg.size(), QSize(384, 179));
    EXPECT_EQ(dlg.minimumSize(), dlg.maximumSize());
    EXPECT_TRUE(dlg.findChild<QPushButton*>("OKBtn")->isDefault());

    const std::pair<const char*, QRect> layout[] = {
        {"Bevel1", {8, 8, 281, 161}},     {"OKBtn", {300, 8, 75, 25}},
        {"CancelBtn", {300, 38, 75, 25}}, {"COM1", {32, 32, 113, 17}},
        {"COM4", {32, 128, 113, 17}},
    };
    for (const auto& [name, rect] : layout) {
        const auto* control = dlg.findChild<QWidget*>(name);
        ASSERT_NE(control, nullptr) << name;
        EXPECT_EQ(control->geometry(), rect) << name;
    }

    QStringList order;
    for (QWidget* w = dlg.findChild<QPushButton*>("OKBtn"); order.size() < 6;
         w = w->nextInFocusChain()) {
        if (w->focusPolicy() & Qt::TabFocus) order << w->objectName();
    }
    EXPECT_EQ(order.join(' '), "OKBtn CancelBtn COM1 COM2 COM3 COM4");

    EXPECT_EQ(dlg.findChild<QWidget*>("COM1")->toolTip(), "./COM1 -> /dev/pts/77");
    EXPECT_EQ(dlg.findChild<QWidget*>("COM2")->toolTip(), "/dev/ttyS1");
}

TEST_F(PortDialogTest, OnlyTheCancelButtonOrEscCancels) {
    using Act = std::function<void(PortDialog&)>;
    const std::tuple<const char*, Act, int, bool> cases[] = {
        {"COM3, OK",
         [](PortDialog& d) {
             QTest::mouseClick(d.findChild<QWidget*>("COM3"), Qt::LeftButton);
             QTest::mouseClick(d.findChild<QWidget*>("OKBtn"), Qt::LeftButton);
         },
         3, false},
        {"Return",
         [](PortDialog& d) { QTest::keyClick(d.findChild<QWidget*>("COM2"), Qt::Key_Return); }, 1,
         false},
        {"COM4, close box",
         [](PortDialog& d) {
             QTest::mouseClick(d.findChild<QWidget*>("COM4"), Qt::LeftButton);
             d.close();
         },
         4, false},
        {"Cancel",
         [](PortDialog& d) {
             QTest::mouseClick(d.findChild<QWidget*>("CancelBtn"), Qt::LeftButton);
         },
         1, true},
        {"Esc",
         [](PortDialog& d) { QTest::keyClick(d.findChild<QWidget*>("COM2"), Qt::Key_Escape); }, 1,
         true},
    };
    for (const auto& [what, act, choice, cancelled] : cases) {
        PortDialog dlg;
        dlg.show();
        act(dlg);
        EXPECT_FALSE(dlg.isVisible()) << what;
        EXPECT_EQ(dlg.ChosenPort(), choice) << what;
        EXPECT_EQ(dlg.Cancelled(), cancelled) << what;
    }
}

}  // namespace
}  // namespace zorvane
