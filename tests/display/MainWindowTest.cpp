#include <QBackingStore>
#include <QElapsedTimer>
#include <QFile>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QSignalSpy>
#include <QTest>
#include <array>
#include <chrono>

#include "FormFixture.h"
#include "LampColors.h"

using namespace zorvane;
using namespace zorvane::test;
using namespace std::chrono_literals;

namespace {

const QString kNamesMessage =
    QStringLiteral("Nelze otevřít soubor names.ini s pojmenováním proměnných");

using MainWindowTest = FormFixture;

struct Placement {
    const char* name;
    QRect rect;  // an empty size means "follows its caption": only the position counts
};

const Placement kPlacements[] = {
    {"Shape1", {24, 336, 17, 17}},   {"Shape9", {176, 336, 17, 17}},
    {"Shape25", {480, 336, 17, 17}}, {"Shape26", {480, 360, 17, 17}},
    {"Shape40", {632, 504, 17, 17}}, {"Shape41", {24, 80, 17, 17}},
    {"Shape48", {24, 248, 17, 17}},  {"Shape64", {328, 248, 17, 17}},
    {"Label1", {48, 336, 0, 0}},     {"Label25", {504, 360, 0, 0}},
    {"Label26", {504, 336, 0, 0}},   {"Label27", {504, 384, 0, 0}},
    {"Label40", {656, 504, 0, 0}},   {"Label64", {352, 248, 0, 0}},
    {"Label65", {24, 280, 0, 0}},    {"Label66", {24, 16, 0, 0}},
    {"Label67", {24, 48, 0, 0}},     {"Label68", {24, 312, 0, 0}},
    {"Edit1", {176, 312, 121, 21}},  {"Edit2", {176, 48, 121, 21}},
    {"Edit3", {32, 536, 657, 21}},   {"prijem", {520, 48, 161, 57}},
};

TEST_F(MainWindowTest, ControlsStandWhereTheLayoutTablePutsThemInsideTheClientArea) {
    zorvane::MainWindow& form = MakeForm();
    EXPECT_EQ(form.objectName(), "Form1");
    EXPECT_EQ(form.windowTitle(), "Zorvane");
    for (const Placement& p : kPlacements) {
        const auto* control = form.findChild<QWidget*>(QString::fromLatin1(p.name));
        ASSERT_NE(control, nullptr) << p.name;
        if (p.rect.isEmpty())
            EXPECT_EQ(control->pos(), p.rect.topLeft()) << p.name;
        else
            EXPECT_EQ(control->geometry(), p.rect) << p.name;
    }
    for (const QWidget* child : form.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        EXPECT_TRUE(form.rect().contains(child->geometry())) << child->objectName().toStdString();
    // The captions must not run into the hex fields.
    EXPECT_LE(Label(67)->geometry().right(), Edit(2)->x());
    EXPECT_LE(Label(68)->geometry().right(), Edit(1)->x());
}

TEST_F(MainWindowTest, WarningLabelIsCentredOverTheIndicatorAndDrawnAboveIt) {
    zorvane::MainWindow& form = MakeForm();
    const QRect warning = Label(69)->geometry();
    const QRect indicator = Prijem()->geometry();
    EXPECT_TRUE(indicator.contains(warning));
    // Centred on its box from the layout table, 536,64 126 x 20.
    EXPECT_NEAR(warning.center().x(), 536 + 63, 1);
    EXPECT_NEAR(warning.center().y(), 64 + 10, 1);
    EXPECT_EQ(form.childAt(warning.center()), Label(69));
    EXPECT_EQ(Label(69)->text(), "Vorlan nevysílá");
}

TEST_F(MainWindowTest, StartsSilentWithWhiteLampsAndEmptyFields) {
    MakeForm();
    EXPECT_EQ(Prijem()->FillColor(), QColor(255, 0, 0));
    EXPECT_FALSE(Label(69)->isHidden());
    EXPECT_TRUE(Label(69)->autoFillBackground());
    EXPECT_EQ(Label(69)->palette().color(QPalette::Window), QColor(255, 0, 0));
    for (int n = 1; n <= 64; ++n) {
        EXPECT_EQ(Lamp(n)->FillColor(), QColor(255, 255, 255)) << n;
        EXPECT_TRUE(Label(n)->text().isEmpty()) << n;
    }
    for (int n : {1, 2, 3}) {
        EXPECT_TRUE(Edit(n)->text().isEmpty());
        EXPECT_FALSE(Edit(n)->isEnabled());
    }
    EXPECT_FALSE(Edit(1)->isHidden());
    EXPECT_TRUE(Edit(3)->isHidden());
    EXPECT_EQ(Timer1()->interval(), 40);
    EXPECT_TRUE(Timer1()->isSingleShot());
}

TEST_F(MainWindowTest, FontsHaveTheirPixelHeights) {
    zorvane::MainWindow& form = MakeForm();
    const struct {
        const QWidget* widget;
        int pixels;
    } cases[] = {
        {&form, 11},
        {Label(1), 11},
        {Label(65), 21},
        {Label(66), 21},
        {Label(69), 16},
        // 15 px requested of the bitmap face, shown with its 13 px strike.
        {Label(67), 13},
    };
    for (const auto& c : cases)
        EXPECT_EQ(QFontInfo(c.widget->font()).pixelSize(), c.pixels)
            << c.widget->objectName().toStdString();
    EXPECT_EQ(QFontInfo(Label(65)->font()).family(), "Liberation Sans")
        << "install fonts-liberation";
}

TEST_F(MainWindowTest, PaintsRoundOutlinedLampsAndAnOutlinedIndicator) {
    zorvane::MainWindow& form = MakeForm();
    Lamp(1)->SetFillColor(LampColorOn);
    const QImage image = form.grab().toImage();
    const QPoint lamp1 = Lamp(1)->pos();
    const QPoint lamp2 = Lamp(2)->pos();
    const QColor background = image.pixelColor(lamp1 + QPoint(-2, -2));
    EXPECT_EQ(image.pixelColor(lamp1 + QPoint(8, 8)), QColor(255, 0, 0));
    EXPECT_EQ(image.pixelColor(lamp2 + QPoint(8, 8)), QColor(255, 255, 255));
    EXPECT_EQ(image.pixelColor(lamp1), background) << "a lamp's corners show the window";
    EXPECT_LT(image.pixelColor(lamp1 + QPoint(8, 0)).lightness(), 100) << "outline at the top";
    const QPoint indicator = Prijem()->pos();
    EXPECT_EQ(image.pixelColor(indicator), QColor(0, 0, 0));
    EXPECT_EQ(image.pixelColor(indicator + QPoint(4, 4)), QColor(255, 0, 0));
}

// Every frame sets the state at once; pixels follow at most once a refresh (16 ms), and the
// last frame's reach the screen after the burst.
TEST_F(MainWindowTest, ABurstOfFramesIsPaintedOnceARefreshEndingWithTheLastFrame) {
    zorvane::MainWindow& form = MakeForm();
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QTest::qWait(50);
    int paints = 0;
    struct PaintCounter : QObject {
        int& count;
        explicit PaintCounter(int& c) : count(c) {}
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Paint) ++count;
            return false;
        }
    } counter(paints);
    Lamp(1)->installEventFilter(&counter);
    QElapsedTimer burst;
    burst.start();
    Frame frame;
    for (int i = 1; i <= 100; ++i) {
        frame.SetLamp(1, i % 2 == 1);
        frame.SetLamp(64, i % 3 == 1);
        form.ShowFrame(frame, "");
        ASSERT_EQ(Lamp(1)->FillColor(), i % 2 == 1 ? LampColorOn : LampColorOff);
        QTest::qWait(1);  // the event loop runs between frames, as at the line rate
    }
    const qint64 refreshes = burst.elapsed() / 16;
    QTest::qWait(50);
    EXPECT_LE(paints, refreshes + 2);
    const QImage screen = *static_cast<QImage*>(form.backingStore()->paintDevice());
    EXPECT_EQ(screen.pixelColor(Lamp(1)->geometry().center()), LampColorOff);
    EXPECT_EQ(screen.pixelColor(Lamp(64)->geometry().center()), LampColorOn);
}

TEST_F(MainWindowTest, MissingNamesFileIsReportedBeforeTheTimerStarts) {
    bool timerActiveSeen = true;
    form_ = std::make_unique<zorvane::MainWindow>(
        [&](QWidget* parent, const QString& text, const QString& detail) {
            messages_.push_back(text);
            messages_.push_back(detail);
            timerActiveSeen = parent->findChild<QTimer*>("Timer1")->isActive();
        });
    ASSERT_EQ(messages_.size(), 2u);
    EXPECT_EQ(messages_[0], kNamesMessage);
    EXPECT_EQ(messages_[1], "Hledáno ve složce " + QDir::currentPath()) << "the folder searched";
    EXPECT_FALSE(timerActiveSeen);
    EXPECT_TRUE(Timer1()->isActive());
}

TEST_F(MainWindowTest, NamesFileFillsTheLabelsWithoutAMessage) {
    QFile file("names.ini");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    QByteArray text = "IN\r\n";
    for (int n = 1; n <= 26; ++n)
        text += "N" + QByteArray::number(n) + "\r\n";
    text += "OUT\r\nValve\r\n";
    file.write(text);
    file.close();
    MakeForm();
    if (!messages_.empty()) GTEST_SKIP() << "the names loader still refuses every file";
    EXPECT_EQ(Label(1)->text(), "N1");
    EXPECT_EQ(Label(25)->text(), "N25");
    EXPECT_EQ(Label(25)->pos(), Lamp(26)->pos() + QPoint(24, 0));
    EXPECT_EQ(Label(41)->text(), "Valve");
    EXPECT_TRUE(Label(27)->text().isEmpty());
}

TEST_F(MainWindowTest, NameCaptionsDropLineEndsShowPlainTextAndFit) {
    QFile file("names.ini");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    // The 12-byte cut leaves "Temperature" its CR; the fifth name is Windows-1250.
    file.write(
        "IN\r\nMotor\r\nTemperature\r\nTemperature sensor\r\n\r\n"
        "\xC8"
        "erpadlo \x8E\r\n<b>x</b>\r\n");
    file.close();
    MakeForm();
    const QString shown[] = {"Motor", "Temperature", "Temperature ", "", "Čerpadlo Ž", "<b>x</b>"};
    for (int n = 1; n <= 6; ++n) {
        const QLabel* label = Label(n);
        EXPECT_EQ(label->text(), shown[n - 1]) << n;
        EXPECT_GE(label->width(), QFontMetrics(label->font()).horizontalAdvance(shown[n - 1])) << n;
    }
    EXPECT_EQ(Label(6)->textFormat(), Qt::PlainText);
    EXPECT_EQ(Label(1)->pos(), QPoint(48, 336)) << "a caption never moves its label";
}

class FirstTick : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        MakeForm();
        form_->SetPortProcedure([this] {
            ++portCalls_;
            silentAtCall_ = Prijem()->FillColor() == LampColorOn && !Label(69)->isHidden();
            timerActiveAtCall_ = Timer1()->isActive();
        });
    }
    int portCalls_ = 0;
    bool silentAtCall_ = false, timerActiveAtCall_ = true;
};

TEST_F(FirstTick, RunsThePortProcedureOnceAndStaysOff) {
    QSignalSpy ticks(Timer1(), &QTimer::timeout);
    ASSERT_TRUE(QTest::qWaitFor([&] { return portCalls_ == 1; }, 1000));
    EXPECT_TRUE(silentAtCall_);
    EXPECT_FALSE(timerActiveAtCall_);
    QTest::qWait(150);
    EXPECT_EQ(ticks.count(), 1);
    EXPECT_EQ(portCalls_, 1);
    EXPECT_FALSE(Timer1()->isActive());
}

TEST_F(FirstTick, ARestartWithPortSelectPendingShowsTheDialogAgain) {
    ASSERT_TRUE(QTest::qWaitFor([&] { return portCalls_ == 1; }, 1000));
    // The user asked to choose another port.
    form_->ChooseAnotherPortLater();
    ASSERT_TRUE(QTest::qWaitFor([&] { return portCalls_ == 2; }, 1000));
    // A watchdog tick without a pending choice leaves the port alone.
    form_->ShowFrame(Frame{}, "");
    QSignalSpy ticks(Timer1(), &QTimer::timeout);
    ASSERT_TRUE(ticks.wait(1000));
    EXPECT_EQ(portCalls_, 2);
}

TEST_F(MainWindowTest, ClosingRunsTheCloseProcedureOnce) {
    zorvane::MainWindow& form = MakeForm();
    int closes = 0;
    form.SetCloseProcedure([&] { ++closes; });
    form.show();
    EXPECT_TRUE(form.close());
    EXPECT_FALSE(form.isVisible());
    form.close();
    EXPECT_EQ(closes, 1);
}

}  // namespace
