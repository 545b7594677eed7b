#include "MainWindow.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <cstring>

#include "Accessibility.h"
#include "FrameText.h"
#include "Lamp.h"
#include "LampColors.h"
#include "LampPanel.h"
#include "LineTiming.h"
#include "MainLayout.h"
#include "NamesFile.h"
#include "NamesScan.h"
#include "RepaintPacer.h"
#include "ShapeWidget.h"
#include "TextField.h"

namespace zorvane {

namespace {

// Sizes are character heights in pixels (96 dpi).
QFont PixelFont(const QStringList& families, int pixels) {
    QFont font;
    font.setFamilies(families);
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixels);
    return font;
}
// "MS Sans Serif" is a bitmap face with a few strikes (8, 10, 12, 14, 18, 24 pt) and shows any
// other size with the largest strike below it; the layout's caption sizes come from that (a
// 15 px caption is 16 px high). It is rarely installed here, and Arial's metric twin comes
// closest to its widths, so the substitute gets the same sizes and captions fit as designed.
int SansSerifStrike(int pixels) {
    for (int strike : {32, 24, 19, 16, 13, 11})
        if (pixels >= strike) return strike;
    return pixels;
}
QFont SansSerif(int pixels) {
    return PixelFont({"MS Sans Serif", "Liberation Sans"}, SansSerifStrike(pixels));
}
QFont Arial(int pixels) {
    return PixelFont({"Arial", "Liberation Sans"}, pixels);
}

QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& caption) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);  // names come from a user's file, never markup
    label->setText(caption);
    return label;
}

QLabel* MakeCaption(QWidget* parent, const char* name, const QString& caption, const QFont& font,
                    QPoint pos) {
    QLabel* label = MakeLabel(parent, QString::fromLatin1(name), caption);
    label->setFont(font);
    label->adjustSize();
    label->move(pos);
    return label;
}

TextField* MakeEdit(QWidget* parent, const char* name, const QRect& geometry,
                    const QString& accessibleName = {}) {
    auto* edit = new TextField(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setGeometry(geometry);
    edit->setAccessibleName(accessibleName);
    return edit;
}

// Labels that get no name keep their captions; line ends show nothing, so they are dropped, and
// the label then fits its text. A lamp is known to assistive technology by the name beside it.
void ShowNames(const std::array<QLabel*, kLampCount>& labels,
               const std::array<Lamp*, kLampCount>& lamps,
               const std::array<std::optional<std::string>, kLampCount>& captions) {
    for (int i = 0; i < kLampCount; ++i) {
        if (!captions[i]) continue;
        QString text = QString::fromStdString(*captions[i]);
        text.remove(QLatin1Char('\r'));
        text.remove(QLatin1Char('\n'));
        labels[i]->setText(text);
        labels[i]->adjustSize();
        if (!text.isEmpty()) lamps[LampBesideName(i + 1) - 1]->SetAccessibleName(text);
    }
}

}  // namespace

MainWindow::MainWindow(MessageFn showMessage, const QString& namesFile, QWidget* parent)
    : QWidget(parent),
      showMessage_(std::move(showMessage)),
      repaintPacer_(new RepaintPacer(this, [this] { PutLastFrameOnWindow(); })) {
    InstallAccessibility();
    setObjectName(QStringLiteral("Form1"));
    ShowOpenPort({});
    QPalette pal = palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Button));
    setPalette(pal);
    setFont(SansSerif(11));
    BuildControls();
    resize(layout::kClientSize);
    PlaceOnScreen();
    LoadLampNames(namesFile);
    watchdog_->start();  // only after a missing names file has been reported
}

void MainWindow::BuildControls() {
    MakeCaption(this, "Label66", QStringLiteral("RT7720"), Arial(21), layout::kLabel66);
    MakeCaption(this, "Label67", QStringLiteral("Received paket in HEX:"), SansSerif(15),
                layout::kLabel67);
    rtHex_ =
        MakeEdit(this, "Edit2", layout::kEdit2, QStringLiteral("RT7720 Received paket in HEX:"));

    linkIndicator_ = new ShapeWidget(LampColorOn, this);
    linkIndicator_->setObjectName(QStringLiteral("prijem"));
    linkIndicator_->setGeometry(layout::kPrijem);
    linkIndicator_->setAccessibleName(QStringLiteral("Vorlan"));

    // Created after the indicator, so it is drawn over it.
    silentWarning_ = MakeLabel(this, QStringLiteral("Label69"), QStringLiteral("Vorlan nevysílá"));
    silentWarning_->setFont(SansSerif(16));
    QPalette warning = silentWarning_->palette();
    warning.setColor(QPalette::Window, LampColorOn);
    silentWarning_->setPalette(warning);
    silentWarning_->setAutoFillBackground(true);
    silentWarning_->adjustSize();
    const QRect box = layout::kLabel69Box;
    silentWarning_->move(box.x() + (box.width() - silentWarning_->width()) / 2,
                         box.y() + (box.height() - silentWarning_->height()) / 2);

    MakeCaption(this, "Label65", QStringLiteral("PLC"), Arial(21), layout::kLabel65);
    MakeCaption(this, "Label68", QStringLiteral("Received paket in HEX:"), SansSerif(15),
                layout::kLabel68);
    plcHex_ = MakeEdit(this, "Edit1", layout::kEdit1, QStringLiteral("PLC Received paket in HEX:"));

    BuildLampPanels();

    statusLine_ = MakeEdit(this, "Edit3", layout::kEdit3);
    statusLine_->hide();  // diagnostic only
    // On top, so painting the lamps never has to look at the controls below; its mask keeps
    // it off them.
    lampPanel_->raise();

    watchdog_ = new QTimer(this);
    watchdog_->setObjectName(QStringLiteral("Timer1"));
    watchdog_->setInterval(kSilenceLimit);
    watchdog_->setSingleShot(true);  // after a tick it stays off until restarted
    watchdog_->setTimerType(Qt::PreciseTimer);
    connect(watchdog_, &QTimer::timeout, this, &MainWindow::OnWatchdogTimeout);
}

void MainWindow::BuildLampPanels() {
    lampPanel_ = new LampPanel(this);
    for (int n = 1; n <= kLampCount; ++n) {
        lamps_[n - 1] = lampPanel_->AddLamp(n);

        QLabel* name = MakeLabel(this, QStringLiteral("Label%1").arg(n), QString());
        name->adjustSize();
        name->move(layout::NameLabelPos(n));
        lampNames_[n - 1] = name;
    }
}

void MainWindow::PlaceOnScreen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return;  // no display: nothing to centre on
    move(screen->availableGeometry().center() - rect().center());
}

void MainWindow::LoadLampNames(const QString& file) {
    NamesFileError error;
    const QFileInfo where(QDir::current().absoluteFilePath(file));
    names_ = LoadNamesFile(QFile::encodeName(file).toStdString(), error);
    if (names_) {
        namesFile_ = where.filePath();
        ShowNames(lampNames_, lamps_, names_->captions);
        return;
    }
    // The system's own words are English; its name for the error is not a sentence.
    const bool unread = error.step == NamesFileError::Step::Read;
    const QString text =
        (unread ? QStringLiteral("Nelze přečíst soubor %1 s pojmenováním proměnných")
                : QStringLiteral("Nelze otevřít soubor %1 s pojmenováním proměnných"))
            .arg(where.fileName());
    const QString detail = unread ? QStringLiteral("%1: chyba při čtení (%2)")
                                        .arg(QDir::toNativeSeparators(where.filePath()),
                                             QString::fromLatin1(::strerrorname_np(error.sysErrno)))
                                  : QStringLiteral("Hledáno ve složce %1")
                                        .arg(QDir::toNativeSeparators(where.absolutePath()));
    if (showMessage_) {
        showMessage_(this, text, detail);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, QGuiApplication::applicationDisplayName(), text,
                    QMessageBox::Ok, this);
    box.setInformativeText(detail);
    box.exec();
}

void MainWindow::ShowFrame(const LineEvent& event) {
    const Frame& frame = event.frame;
    SetIndicator(LinkAliveColor);
    ShowWarning(false);
    RestartWatchdog();
    shownLineTime_ = event.at.tick;
    // The lamps answer for every frame; the window draws only the last frame before a paint,
    // so the rest waits for it.
    lampPanel_->Show(frame);
    if (lastFrame_ != frame || lastBefore_ != event.before) {
        lastFrame_ = frame;
        lastBefore_ = event.before;
        lastShown_ = false;
        repaintPacer_->Request();
    }
    repaintPacer_->FrameShown();
}

void MainWindow::PutLastFrameOnWindow() {
    lampPanel_->RepaintChanged();
    if (lastShown_) return;
    lastShown_ = true;
    plcHex_->setText(PlcHexText(*lastFrame_));
    rtHex_->setText(RtHexText(*lastFrame_));
    char status[kStatusLineMax];
    statusLine_->setText(
        QString::fromLatin1(status, WriteStatusLine(status, 1, lastBefore_) - status));
}

void MainWindow::SetIndicator(QColor color) {
    linkIndicator_->SetFillColor(color);
    linkIndicator_->RepaintIfChanged();
}

void MainWindow::OnWatchdogTimeout() {
    if (portSelectPending_ && portProcedure_) {
        ShowSilence();
        portSelectPending_ = false;
        portProcedure_();
        return;
    }
    if (FrameOnItsWay()) return RestartWatchdog();
    ShowSilence();
}

bool MainWindow::FrameOnItsWay() const {
    const auto latest = latestFrame_ && lastFrame_ ? latestFrame_() : std::nullopt;
    return latest && *latest > shownLineTime_ && *latest - shownLineTime_ < kSilenceLimit;
}

void MainWindow::ShowLinkDown() {
    if (!watchdog_->isActive()) return;  // the watchdog has said so already
    ShowSilence();
}

void MainWindow::ShowSilence() {
    SetIndicator(LampColorOn);
    ShowWarning(true);
    watchdog_->stop();
}

void MainWindow::ShowWarning(bool shown) {
    if (silentWarning_->isHidden() != shown) return;  // as it is already
    silentWarning_->setVisible(shown);
    AnnounceTreeChange(silentWarning_);  // assistive technology finds it only while it shows
}

void MainWindow::ShowPortWaiting(const QString& device) {
    portWaiting_ = device.isEmpty()
                       ? QString()
                       : QStringLiteral("Port %1 odpojen, čekám na jeho návrat").arg(device);
    ShowIndicatorTip();
}

void MainWindow::ShowRecordTrouble(const QString& trouble) {
    recordTrouble_ = trouble;
    ShowIndicatorTip();
}

void MainWindow::ShowLineHealth(const LineHealth& health) {
    healthText_ = health_.Update(health, std::chrono::steady_clock::now());
    linkIndicator_->setAccessibleDescription(healthText_);
    ShowIndicatorTip();
}

void MainWindow::ShowIndicatorTip() {
    QStringList lines{portWaiting_, recordTrouble_, healthText_};
    lines.removeAll(QString());
    const QString tip = lines.join('\n');
    // The warning covers the indicator's middle, so it tells the same.
    linkIndicator_->setToolTip(tip);
    silentWarning_->setToolTip(tip);
}

void MainWindow::ShowOpenPort(const QString& name) {
    const QString program = QStringLiteral("Zorvane");
    setWindowTitle(name.isEmpty() ? program : program + QStringLiteral(" — ") + name);
}

void MainWindow::ChooseAnotherPortLater() {
    portSelectPending_ = true;
    RestartWatchdog();
}

void MainWindow::RestartWatchdog() {
    watchdog_->start();  // a running timer starts its 40 ms afresh
}

void MainWindow::SetPortProcedure(std::function<void()> procedure) {
    portProcedure_ = std::move(procedure);
}

void MainWindow::SetCloseProcedure(std::function<void()> procedure) {
    closeProcedure_ = std::move(procedure);
}

void MainWindow::SetLatestFrameProbe(LatestFrameProbe probe) {
    latestFrame_ = std::move(probe);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // The close procedure stops the reader and releases the port: once is all it can do.
    if (!closed_) {
        closed_ = true;
        if (closeProcedure_) closeProcedure_();
    }
    event->accept();
}

}  // namespace zorvane
