// The main window as the user-interface thread drives it: frames shown one by one, the watchdog's
// ticks, closing, and how the window looks.
#include <private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>
#include <QAccessible>
#include <QApplication>
#include <QBackingStore>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QSignalSpy>
#include <QTimer>
#include <functional>
#include <memory>

#include "FrameText.h"
#include "HealthText.h"
#include "Lamp.h"
#include "LampColors.h"
#include "LampImages.h"
#include "LampPanel.h"
#include "MainLayout.h"
#include "MainWindow.h"
#include "ShapeWidget.h"
#include "Support.h"
#include "TextField.h"
#include "WordGlyphs.h"

namespace zorvane {
namespace {

using test::WaitUntil;

// Odd labels get the widest twelve characters, even ones a short name still ending in CR LF.
std::string NamesFile() {
    std::string text = "IN\r\n";
    for (int n = 1; n <= kLampCount; ++n)
        text += (n == 41 ? "OUT\r\n" : "") +
                (n % 2 ? "WWWWWWWWWWWW" : "Motor " + std::to_string(n)) + "\r\n";
    return text;
}

// A frame as the line core hands it over, crossed the line now.
LineEvent Shown(const Frame& frame, const ReceiverState& before = {}) {
    return {LineEvent::Kind::Frame, Moment::Now(), 0, frame, before};
}

QColor LampColor(const Frame& frame, int n) {
    return frame.Lamp(n) ? LampColorOn : LampColorOff;
}

// Pixels of `image` unlike `reference` (outside `except`), ignoring what fonts may shade.
int Differing(const QImage& image, const QImage& reference, const QRect& except = {}) {
    if (image.size() != reference.size()) return image.width() * image.height();
    int differing = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            differing += !except.contains(x, y) &&
                         std::abs(qGray(image.pixel(x, y)) - qGray(reference.pixel(x, y))) > 24;
    return differing;
}

// A window built in a fresh current folder; its message box is read and closed from inside its
// own loop.
class Window : public testing::Test {
  protected:
    MainWindow& Build(const std::string& names = {}) {
        if (!names.empty()) folder_.Write("names.ini", names);
        QTimer::singleShot(0, &context_, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) return;
            messages_ = {box->text(), box->informativeText()};
            watchdogRanAtMessage_ = box->parentWidget()->findChild<QTimer*>("Timer1")->isActive();
            box->accept();
        });
        window_ = std::make_unique<MainWindow>();
        return *window_;
    }
    template <typename T>
    T* Part(const QString& name) {
        return window_->findChild<T*>(name);
    }
    zorvane::Lamp* Lamp(int n) { return Part<zorvane::Lamp>(QStringLiteral("Shape%1").arg(n)); }
    QLabel* Label(int n) { return Part<QLabel>(QStringLiteral("Label%1").arg(n)); }
    TextField* Edit(int n) { return Part<TextField>(QStringLiteral("Edit%1").arg(n)); }
    ShapeWidget* Indicator() { return Part<ShapeWidget>(QStringLiteral("prijem")); }
    QTimer* Watchdog() { return Part<QTimer>(QStringLiteral("Timer1")); }
    bool Silent() { return Indicator()->FillColor() == LampColorOn && !Label(69)->isHidden(); }
    // What the window's pixels are, as last painted.
    const QImage& Screen() { return *static_cast<QImage*>(window_->backingStore()->paintDevice()); }

    test::TempFolder folder_;
    QObject context_;  // ends the message box's timer with the test
    std::unique_ptr<MainWindow> window_;
    std::vector<QString> messages_;
    bool watchdogRanAtMessage_ = false;
};

// Lamps, the indicator and the watchdog answer for each frame at once; the hex texts and the
// status line follow at the next paint, from the last frame before it.
TEST_F(Window, FramesSetLampsHexTextsStatusAndALiveIndicator) {
    Build().show();
    ASSERT_TRUE(WaitUntil([&] { return !Watchdog()->isActive(); }));  // silent since its tick
    const auto lampsOnScreen = [&](const Frame& frame) {
        for (int n = 1; n <= kLampCount; ++n)
            if (Screen().pixelColor(Lamp(n)->geometry().center()) != LampColor(frame, n))
                return false;
        return true;
    };
    const struct {
        Frame frame;
        QString plc, rt;
    } cases[] = {
        // All lamps first, so later frames must turn lamps white too.
        {{{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}}, "ff ff ff ff ff ", "ff ff ff"},
        {{{0x01, 0x00, 0x10, 0x0F, 0x80, 0x00, 0x00, 0x03}}, "1 0 10 f 80 ", "0 0 3"},
        {{}, "0 0 0 0 0 ", "0 0 0"},
    };
    std::uint8_t stored = 8;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.plc.toStdString());
        const ReceiverState before{stored++, true, true, true, false};
        window_->ShowFrame(Shown(c.frame, before));
        const std::string status = FormatStatusLine(1, before);
        for (int n = 1; n <= kLampCount; ++n)
            EXPECT_EQ(Lamp(n)->IsOn(), c.frame.Lamp(n)) << n;
        EXPECT_EQ(Indicator()->FillColor(), LinkAliveColor);
        EXPECT_TRUE(Label(69)->isHidden());
        EXPECT_TRUE(Watchdog()->isActive());
        EXPECT_LE(Watchdog()->remainingTime(), 40);
        // Last, as the watchdog may run meanwhile.
        window_->grab();  // draws the frame elsewhere: the screen must still get it
        EXPECT_TRUE(WaitUntil([&] { return lampsOnScreen(c.frame) && Edit(1)->text() == c.plc; }));
        EXPECT_EQ(Edit(2)->text(), c.rt);
        EXPECT_EQ(Edit(3)->text().toStdString(), status);
    }
}

// A missing names.ini is reported first. The first tick shows the silence and lets the user choose
// the port, once. Frames keep the link green and reach the screen at most once a refresh, the last
// one included; 40 ms after it the silence shows again, once, and the lamps stay as they were.
TEST_F(Window, WatchdogChoosesThePortOnceAndShowsSilenceOnce40msAfterTheLastFrame) {
    MainWindow& window = Build();
    const std::vector<QString> namesMessage = {
        "Nelze otevřít soubor names.ini s pojmenováním proměnných",
        "Hledáno ve složce " + QDir::currentPath()};
    EXPECT_EQ(messages_, namesMessage);
    EXPECT_FALSE(watchdogRanAtMessage_);
    int calls = 0;
    window.SetPortProcedure([&] { ++calls; });
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ASSERT_TRUE(WaitUntil([&] { return calls == 1; }));
    struct EventCounter : QObject {
        explicit EventCounter(QEvent::Type t) : type(t) {}
        QEvent::Type type;
        int count = 0;
        std::function<void()> next;  // run once, just after the next such event
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() != type) return false;
            ++count;
            if (next) QTimer::singleShot(0, std::exchange(next, {}));
            return false;
        }
    } hexPaints(QEvent::Paint), drawRequests(QEvent::UpdateRequest);
    Edit(1)->installEventFilter(&hexPaints);  // its text changes with every frame
    window.installEventFilter(&drawRequests);
    QSignalSpy ticks(Watchdog(), &QTimer::timeout);
    QElapsedTimer sinceFirst, sinceLast;
    Frame frame;
    int shown = 0;
    const auto send = [&] {
        frame.SetLamp(1, shown % 2 == 0);
        frame.SetLamp(32, shown >= 98);  // the last frames are unlike any drawn before
        frame.SetLamp(64, shown++ % 3 == 0);
        window.ShowFrame(Shown(frame));
        sinceLast.start();
    };
    qint64 silentAfterMs = -1;
    bool onScreenBeforeSilence = false;
    QObject::connect(Watchdog(), &QTimer::timeout, [&] {
        silentAfterMs = sinceLast.elapsed();
        onScreenBeforeSilence =
            Screen().pixelColor(Lamp(1)->geometry().center()) == LampColor(frame, 1) &&
            Screen().pixelColor(Lamp(64)->geometry().center()) == LampColor(frame, 64) &&
            Edit(1)->text() == PlcHexText(frame) &&
            Screen().copy(Edit(1)->geometry()) ==
                Edit(1)->grab().toImage().convertToFormat(Screen().format());
    });
    // A timer, not a wait, paces the frames: late on a busy machine, it still comes first. The
    // last comes just after a paint, so only the pacer's own timer can draw it before the silence.
    QTimer line;
    line.setTimerType(Qt::PreciseTimer);
    QObject::connect(&line, &QTimer::timeout, [&] {
        send();
        if (shown < 99) return;
        line.stop();
        hexPaints.next = send;
    });
    sinceFirst.start();
    line.start(2);
    ASSERT_TRUE(WaitUntil([&] { return ticks.count() == 1; }));
    EXPECT_EQ(shown, 100) << "the link went silent while frames came";
    EXPECT_GE(silentAfterMs, 39);
    EXPECT_TRUE(Silent());
    EXPECT_LE(hexPaints.count, sinceFirst.elapsed() / 16 + 3);
    EXPECT_LE(drawRequests.count, hexPaints.count + 2) << "a paint costs one wake-up, not two";
    EXPECT_TRUE(onScreenBeforeSilence) << "the last frame's colours and text reach the screen";
    for (int n = 1; n <= kLampCount; ++n)
        EXPECT_EQ(Lamp(n)->IsOn(), frame.Lamp(n)) << n;
    QTest::qWait(50);
    drawRequests.count = 0;
    QTest::qWait(100);
    EXPECT_EQ(drawRequests.count, 0) << "nothing changes, nothing wakes to draw";
    EXPECT_EQ(ticks.count(), 1) << "a silent line is reported once, not every 40 ms";
    EXPECT_EQ(calls, 1);
    window.ChooseAnotherPortLater();  // the user asked for another port
    EXPECT_TRUE(WaitUntil([&] { return calls == 2; }));
}

TEST_F(Window, OpensCentredWithNamesThatFitTheirColumnsAndInputs25And26Traded) {
    Build(NamesFile());
    EXPECT_TRUE(messages_.empty());
    EXPECT_EQ(window_->geometry().center(),
              QGuiApplication::primaryScreen()->availableGeometry().center());
    const QPoint besideItsLamp = Label(1)->pos() - Lamp(1)->geometry().topLeft();
    for (int n = 1; n <= kLampCount; ++n) {
        const QLabel* label = Label(n);
        const int lamp = n == 25 ? 26 : n == 26 ? 25 : n;
        EXPECT_EQ(label->pos(), Lamp(lamp)->geometry().topLeft() + besideItsLamp) << n;
        EXPECT_EQ(label->text(), n % 2 ? "WWWWWWWWWWWW" : QStringLiteral("Motor %1").arg(n));
        EXPECT_GE(label->width(), QFontMetrics(label->font()).horizontalAdvance(label->text()));
        if (n <= 32 || (n > 40 && n <= 56)) {
            EXPECT_LT(label->geometry().right(), Lamp(n + 8)->geometry().x()) << n;
        }
        EXPECT_EQ(window_->childAt(label->geometry().center()), label) << "above the lamps' panel";
    }
    const QRect warning = Label(69)->geometry();
    EXPECT_NEAR(warning.center().x(), Indicator()->geometry().center().x(), 3);
    EXPECT_NEAR(warning.center().y(), Indicator()->geometry().center().y(), 4);
    EXPECT_EQ(window_->childAt(warning.center()), Label(69)) << "drawn above the indicator";
}

// Layout, fonts, colours, lamp faces and the warning at once: on the screen while the frame is
// live (the indicator aside) and after the frames stopped, and drawn whole. After a deliberate
// change, ZORVANE_UPDATE_WINDOW_IMAGE=1 writes the new reference.
TEST_F(Window, LooksLikeTheReferenceImageLiveAndSilent) {
    MainWindow& window = Build(NamesFile());
    const Frame frame{{0x01, 0x02, 0x0A, 0xFF, 0x80, 0x10, 0x20, 0xC3}};
    window.ShowFrame(Shown(frame));
    ASSERT_TRUE(WaitUntil([&] { return Silent(); }));
    const QImage drawn = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
    if (qEnvironmentVariableIsSet("ZORVANE_UPDATE_WINDOW_IMAGE")) {
        ASSERT_TRUE(drawn.save(DISPLAY_REFERENCE_IMAGE));
    }
    const QImage reference(DISPLAY_REFERENCE_IMAGE);
    EXPECT_LE(Differing(drawn, reference), 8) << "pixels unlike " DISPLAY_REFERENCE_IMAGE;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.ShowFrame(Shown({}));
    window.ShowFrame(Shown(frame));  // painted as the refresh after frames paints it
    const QPoint indicator = layout::kPrijem.topLeft() + QPoint(3, 3);
    ASSERT_TRUE(WaitUntil([&] {
        return Edit(2)->text() == RtHexText(frame) && Screen().pixelColor(indicator) == Qt::green;
    }));
    EXPECT_LE(Differing(Screen(), reference, layout::kPrijem), 8) << "live";
    ASSERT_TRUE(WaitUntil([&] { return Silent(); }));
    EXPECT_TRUE(WaitUntil([&] { return Differing(Screen(), reference) <= 8; })) << "silent";
}

// Drawn once and then reused; on a scaled screen a face has more pixels, not a larger size.
TEST(LampImages, AFaceIsDrawnOnceAndFillsItsLampAtAnyScreenScale) {
    LampImages faces;
    for (const qreal ratio : {1.0, 2.0}) {
        const auto format = QImage::Format_RGB32;
        const QImage face = faces.Face(LampColorOn, Qt::gray, QSize(17, 17), ratio, format);
        EXPECT_EQ(face.deviceIndependentSize(), QSizeF(17, 17)) << ratio;
        EXPECT_EQ(face.pixelColor(face.rect().center()), LampColorOn) << ratio;
        EXPECT_EQ(faces.Face(LampColorOn, Qt::gray, QSize(17, 17), ratio, format).cacheKey(),
                  face.cacheKey());
    }
}

// Every hex word, in lines as the fields show them, stands where the painter's own text drawing
// puts it, kerned pairs ("ff") included: the fields look as a line edit's text does.
TEST_F(Window, HexTextDrawnFromCachedWordsIsThePaintersOwn) {
    const QFont font = Build().font();
    WordGlyphs glyphs;
    for (int first = 0; first < 256; first += 8) {
        Frame frame;
        for (std::size_t i = 0; i < frame.data.size(); ++i)
            frame.data[i] = static_cast<std::uint8_t>(first + i);
        for (const QString& line : {PlcHexText(frame), RtHexText(frame)}) {
            QImage byPainter(120, 16, QImage::Format_RGB32), byWords = byPainter;
            byPainter.fill(Qt::white);
            byWords.fill(Qt::white);
            QPainter painter(&byPainter), words(&byWords);
            painter.setFont(font);
            painter.drawText(QPointF(2.5, 12), line);
            glyphs.Draw(words, QPointF(2.5, 12), line, font);
            EXPECT_EQ(byPainter, byWords) << line.toStdString();
        }
    }
}

// /proc/self/mem is a regular file whose first read fails.
TEST_F(Window, ANamesFileThatCannotBeReadIsReportedAndNamesNoLamp) {
    folder_.Link("names.ini", "/proc/self/mem");
    Build();
    const std::vector<QString> message = {
        "Nelze přečíst soubor names.ini s pojmenováním proměnných",
        QDir::current().absoluteFilePath("names.ini") + ": chyba při čtení (EIO)"};
    EXPECT_EQ(messages_, message);
    for (int n = 1; n <= kLampCount; ++n)
        EXPECT_EQ(Label(n)->text(), "") << n;
}

// As when a screen reader runs: accessibility on, every event the window sends recorded.
class Accessible : public Window {
  protected:
    void SetUp() override {
        QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(true);
        QAccessible::installUpdateHandler([](QAccessibleEvent* e) {
            // A lamp's change that does not say "checked" is one AT-SPI passes on as nothing.
            const bool unsaid =
                e->type() == QAccessible::StateChanged &&
                qobject_cast<zorvane::Lamp*>(e->object()) &&
                !static_cast<QAccessibleStateChangeEvent*>(e)->changedStates().checked;
            told.push_back({e->object(), unsaid ? QAccessible::InvalidEvent : e->type()});
        });
        told.clear();
    }
    void TearDown() override { QAccessible::installUpdateHandler(nullptr); }
    static QAccessibleInterface* Of(QObject* c) { return QAccessible::queryAccessibleInterface(c); }
    static long Told(QObject* c, QAccessible::Event t) {
        return std::ranges::count(told, std::pair{c, t});
    }
    bool InTree(QWidget* control) {
        QAccessibleInterface* form = Of(window_.get());
        for (int i = 0; i < form->childCount(); ++i)
            if (form->child(i)->object() == control) return form->indexOfChild(Of(control)) == i;
        return false;
    }
    static inline std::vector<std::pair<QObject*, QAccessible::Event>> told;
};

TEST_F(Accessible, LampsHexFieldsAndTheLinkReadAsTheWindowShowsThem) {
    Build(NamesFile());
    const Frame frame{{0x01, 0x02, 0x0A, 0xFF, 0x80, 0x10, 0x20, 0xC3}};
    window_->ShowFrame(Shown(frame));
    for (int n = 1; n <= kLampCount; ++n) {
        QAccessibleInterface* lamp = Of(Lamp(n));
        // Named by the caption a sighted user reads beside it.
        const QPoint beside = Lamp(n)->geometry().center() + QPoint(layout::kNameGap, 0);
        EXPECT_EQ(lamp->text(QAccessible::Name),
                  qobject_cast<QLabel*>(window_->childAt(beside))->text());
        EXPECT_EQ(lamp->text(QAccessible::Description), QStringLiteral("Lampa %1").arg(n));
        EXPECT_TRUE(lamp->role() == QAccessible::CheckBox && lamp->state().readOnly &&
                    lamp->state().checkable);
        EXPECT_EQ(lamp->state().checked, frame.Lamp(n)) << n;
    }
    for (const auto& [edit, panel] : {std::pair{1, "PLC"}, {2, "RT7720"}}) {
        QAccessibleInterface* field = Of(Edit(edit));
        EXPECT_EQ(field->text(QAccessible::Name),
                  panel + QStringLiteral(" Received paket in HEX:"));
        EXPECT_EQ(field->text(QAccessible::Value), Edit(edit)->text());
        EXPECT_EQ(field->textInterface()->text(2, 5), Edit(edit)->text().mid(2, 3));
        EXPECT_TRUE(field->state().readOnly && InTree(Edit(edit)));
    }
    QAccessibleInterface* link = Of(Indicator());
    EXPECT_EQ(link->text(QAccessible::Name) + " " + link->text(QAccessible::Description),
              "Vorlan vysílá");
    EXPECT_FALSE(InTree(Label(69)) || InTree(Edit(3))) << "only what is shown";
    ASSERT_TRUE(WaitUntil([&] { return Silent(); }));
    EXPECT_EQ(link->text(QAccessible::Description), "nevysílá");
    EXPECT_TRUE(InTree(Label(69)) && Told(Label(69), QAccessible::ObjectCreated) == 1 &&
                Told(Label(69), QAccessible::ObjectDestroyed) == 1);
}

// A busy line changes lamps many times between two paints: each is told once a paint at most,
// as drawn, and a lamp that ends as it started not at all.
TEST_F(Accessible, ChangesAreToldWhenDrawnOncePerPaint) {
    MainWindow& window = Build();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window) && WaitUntil([&] { return Silent(); }));
    QTest::qWait(30);  // the silence drawn
    told.clear();
    Frame frame;
    for (int i = 0; i < 9; ++i) {
        frame.SetLamp(1, i % 2 == 0);
        frame.SetLamp(2, i % 2 == 1);
        window.ShowFrame(Shown(frame));
    }
    EXPECT_EQ(Told(Lamp(1), QAccessible::StateChanged), 0) << "told before it was drawn";
    ASSERT_TRUE(WaitUntil([&] { return Told(Lamp(1), QAccessible::StateChanged) == 1; }));
    EXPECT_EQ(Told(Lamp(2), QAccessible::StateChanged), 0);
    EXPECT_EQ(Told(Edit(1), QAccessible::TextUpdated), 1);
    EXPECT_EQ(Told(Indicator(), QAccessible::DescriptionChanged), 1);
    EXPECT_TRUE(Of(Lamp(1))->state().checked);
    EXPECT_EQ(Of(Lamp(1))->text(QAccessible::Name), "Lampa 1") << "no names.ini: known by number";
}

// A lamp that went on and off again between two paints already shows what it should: it is
// neither drawn nor told; the lamp that did change is.
TEST_F(Accessible, ALampChangedAndBackBetweenTwoPaintsIsNeitherRepaintedNorTold) {
    MainWindow& window = Build();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window) && WaitUntil([&] { return Silent(); }));
    auto* panel = window.findChild<LampPanel*>();
    struct Painted : QObject {
        QRegion region;
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Paint)
                region += static_cast<QPaintEvent*>(event)->region();
            return false;
        }
    } painted;
    panel->installEventFilter(&painted);
    told.clear();
    Frame frame;
    frame.SetLamp(1, true);
    window.ShowFrame(Shown(frame));
    frame.SetLamp(1, false);
    frame.SetLamp(64, true);
    window.ShowFrame(Shown(frame));
    ASSERT_TRUE(WaitUntil([&] { return Told(Lamp(64), QAccessible::StateChanged) == 1; }));
    EXPECT_EQ(Told(Lamp(1), QAccessible::StateChanged), 0);
    const QRect lamp1 = Lamp(1)->geometry().translated(-panel->pos());
    EXPECT_FALSE(painted.region.intersects(lamp1)) << "painted again";
    EXPECT_TRUE(painted.region.intersects(Lamp(64)->geometry().translated(-panel->pos())));
}

// Read-only, yet the text can be selected with the mouse, copied, and reached with Tab.
TEST_F(Window, HexTextIsSelectedCopiedAndReachedByTab) {
    MainWindow& window = Build();
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    window.ShowFrame(Shown({{0x01, 0x02, 0x0A, 0xFF, 0x80, 0x10, 0x20, 0xC3}}));
    TextField* edit = Edit(1);
    ASSERT_TRUE(WaitUntil([&] { return !edit->text().isEmpty(); }));
    // Dragged over "2 a" (characters 2 to 5) either way, then over all of it.
    const QPoint two = edit->CharacterRect(2).topLeft(), a = edit->CharacterRect(5).topLeft();
    EXPECT_EQ(edit->CharacterRect(2).right() + 1, edit->CharacterRect(3).left());
    for (const auto& [from, to, selected] : {std::tuple{two, a, "2 a"},
                                             {a, two, "2 a"},
                                             {QPoint(1, 10), QPoint(120, 10), "1 2 a ff 80 "}}) {
        QTest::mousePress(edit, Qt::LeftButton, {}, from);
        QTest::mouseMove(edit, to);
        QTest::mouseRelease(edit, Qt::LeftButton, {}, to);
        EXPECT_EQ(edit->SelectedText(), selected);
    }
    int start = 0, end = 0;
    QAccessible::queryAccessibleInterface(edit)->textInterface()->selection(0, &start, &end);
    EXPECT_TRUE(start == 0 && end == 12) << start << ' ' << end;
    QTest::keyClick(edit, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "1 2 a ff 80 ");
    window.setFocus();
    QTest::keyClick(&window, Qt::Key_Tab);
    EXPECT_TRUE(Edit(2)->hasFocus() && Edit(2)->SelectedText() == "10 20 c3");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(edit)->textInterface()->selectionCount(), 0);
    QTest::keyClick(&window, Qt::Key_Tab);
    EXPECT_TRUE(edit->hasFocus());
}

// A port waited for and a record that cannot be written, each told until it is over.
TEST_F(Window, TheIndicatorsTooltipNamesAWaitedForPortWhyTheRecordIsNotWrittenAndTheLinesFaults) {
    MainWindow& window = Build();
    const QString port = "Port /dev/ttyUSB0 odpojen, čekám na jeho návrat";
    const QString record = "Záznam se nedaří zapisovat do /z: disk je plný (ENOSPC)";
    window.ShowPortWaiting("/dev/ttyUSB0");
    window.ShowRecordTrouble(record);
    EXPECT_EQ(Indicator()->toolTip(), port + "\n" + record);
    EXPECT_EQ(Label(69)->toolTip(), Indicator()->toolTip()) << "the warning covers its middle";
    window.ShowPortWaiting("");
    EXPECT_EQ(Label(69)->toolTip(), record);
    window.ShowPortWaiting("/dev/ttyUSB0");
    window.ShowRecordTrouble("");
    EXPECT_EQ(Label(69)->toolTip(), port);
    window.ShowPortWaiting("");
    EXPECT_EQ(Indicator()->toolTip() + Label(69)->toolTip(), "");
    // The line's health last, and told to assistive technology after the indicator's state.
    window.ShowLineHealth({5, 2, 1, std::nullopt});
    const QString health =
        "Vedení za poslední minutu: chyby 3 (kontrolní součet 2, přeskočené bajty 1)\n"
        "Od otevření portu: rámce 5, chyby 3 (kontrolní součet 2, přeskočené bajty 1)\n"
        "Ovladač portu chyby parity, rámcování ani přetečení nepočítá";
    window.ShowRecordTrouble(record);
    EXPECT_EQ(Indicator()->toolTip(), record + "\n" + health);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(Indicator())->text(QAccessible::Description),
              "nevysílá. " + QString(health).replace('\n', ". "));
}

// The last minute's faults are those since the health as it stood a minute before; before a
// minute has passed, those since the opening. The driver's kinds show where it counts them.
TEST(HealthText, TellsTheLastMinuteAndTheWholeInCzech) {
    using std::chrono::seconds;
    const std::chrono::steady_clock::time_point t0{};
    HealthText text;
    text.Update({100, 1, 0, DriverErrors{}}, t0);
    text.Update({150, 1, 4, DriverErrors{0, 0, 0, 2, 0}}, t0 + seconds(30));
    EXPECT_EQ(
        text.Update({300, 3, 4, DriverErrors{1, 0, 0, 2, 0}}, t0 + seconds(75)),
        "Vedení za poslední minutu: chyby 9 (kontrolní součet 2, přeskočené bajty 4, parita 1, "
        "přetečení vyrovnávací paměti 2)\n"
        "Od otevření portu: rámce 300, chyby 10 (kontrolní součet 3, přeskočené bajty 4, "
        "parita 1, přetečení vyrovnávací paměti 2)");
    EXPECT_EQ(text.Update({400, 3, 4, DriverErrors{1, 0, 0, 2, 0}}, t0 + seconds(200)),
              "Vedení za poslední minutu: chyby 0\n"
              "Od otevření portu: rámce 400, chyby 10 (kontrolní součet 3, přeskočené bajty 4, "
              "parita 1, přetečení vyrovnávací paměti 2)");
}

TEST_F(Window, ClosingRunsTheCloseProcedureOnce) {
    MainWindow& window = Build();
    int closes = 0;
    window.SetCloseProcedure([&] { ++closes; });
    window.show();
    EXPECT_TRUE(window.close());
    window.close();
    EXPECT_EQ(closes, 1);
}

}  // namespace
}  // namespace zorvane
