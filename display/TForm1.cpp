#include "TForm1.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>

#include "FrameText.h"
#include "LampColors.h"
#include "MainLayout.h"
#include "NamesFile.h"
#include "ReaderGlobals.h"
#include "ShapeWidget.h"
#include "TRead.h"

namespace zorvane {

namespace {

constexpr int kTimer1IntervalMs = 40;
const char kNamesFile[] = "names.ini";

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

QLineEdit* MakeEdit(QWidget* parent, const char* name, const QRect& geometry) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setGeometry(geometry);
    edit->setEnabled(false);  // shows text, takes no input
    // The hex bytes are what technicians read: keep them in full contrast though disabled.
    QPalette pal = edit->palette();
    pal.setColor(QPalette::Disabled, QPalette::Text, pal.color(QPalette::Active, QPalette::Text));
    edit->setPalette(pal);
    return edit;
}

// At up to 436 frames/s most texts repeat; skip the line edit's relayout then.
void SetTextIfChanged(QLineEdit* edit, const QString& text) {
    if (edit->text() != text) edit->setText(text);
}

// Labels that get no name keep their captions; line ends show nothing, so they are dropped, and
// the label then fits its text.
void ShowNames(const std::array<QLabel*, kLampCount>& labels,
               const std::array<std::optional<std::string>, kLampCount>& captions) {
    for (int i = 0; i < kLampCount; ++i) {
        if (!captions[i]) continue;
        QString text = QString::fromStdString(*captions[i]);
        text.remove(QLatin1Char('\r'));
        text.remove(QLatin1Char('\n'));
        labels[i]->setText(text);
        labels[i]->adjustSize();
    }
}

}  // namespace

TForm1::TForm1(Hooks hooks, QWidget* parent) : QWidget(parent), hooks_(std::move(hooks)) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Zorvane"));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Button));
    setPalette(pal);
    setAutoFillBackground(true);
    setFont(SansSerif(11));
    BuildControls();
    resize(layout::kClientSize);
    PlaceOnScreen();
    FormCreate();
}

void TForm1::BuildControls() {
    MakeCaption(this, "Label66", QStringLiteral("RT7720"), Arial(21), layout::kLabel66);
    MakeCaption(this, "Label67", QStringLiteral("Received paket in HEX:"), SansSerif(15),
                layout::kLabel67);
    edit2_ = MakeEdit(this, "Edit2", layout::kEdit2);

    prijem_ = new ShapeWidget(ShapeWidget::Kind::Rectangle, LampColorOn, this);
    prijem_->setObjectName(QStringLiteral("prijem"));
    prijem_->setGeometry(layout::kPrijem);

    // Created after prijem, so it is drawn over it.
    label69_ = MakeLabel(this, QStringLiteral("Label69"), QStringLiteral("Vorlan nevysílá"));
    label69_->setFont(SansSerif(16));
    QPalette warning = label69_->palette();
    warning.setColor(QPalette::Window, LampColorOn);
    label69_->setPalette(warning);
    label69_->setAutoFillBackground(true);
    label69_->adjustSize();
    const QRect box = layout::kLabel69Box;
    label69_->move(box.x() + (box.width() - label69_->width()) / 2,
                   box.y() + (box.height() - label69_->height()) / 2);

    MakeCaption(this, "Label65", QStringLiteral("PLC"), Arial(21), layout::kLabel65);
    MakeCaption(this, "Label68", QStringLiteral("Received paket in HEX:"), SansSerif(15),
                layout::kLabel68);
    edit1_ = MakeEdit(this, "Edit1", layout::kEdit1);

    BuildLampPanels();

    edit3_ = MakeEdit(this, "Edit3", layout::kEdit3);
    edit3_->hide();  // diagnostic only

    timer1_ = new QTimer(this);
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setInterval(kTimer1IntervalMs);
    timer1_->setSingleShot(true);  // after a tick it stays off until restarted
    timer1_->setTimerType(Qt::PreciseTimer);
    connect(timer1_, &QTimer::timeout, this, &TForm1::Timer1Timer);
}

void TForm1::BuildLampPanels() {
    for (int n = 1; n <= kLampCount; ++n) {
        auto* lamp = new ShapeWidget(ShapeWidget::Kind::Circle, LampColorOff, this);
        lamp->setObjectName(QStringLiteral("Shape%1").arg(n));
        lamp->setGeometry(QRect(layout::LampPos(n), layout::kLampSize));
        lamps_[n - 1] = lamp;

        QLabel* name = MakeLabel(this, QStringLiteral("Label%1").arg(n), QString());
        name->adjustSize();
        name->move(layout::NameLabelPos(n));
        names_[n - 1] = name;
    }
}

void TForm1::PlaceOnScreen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return;  // no display: nothing to centre on
    move(screen->availableGeometry().center() - rect().center());
}

void TForm1::FormCreate() {
    if (hooks_.clearCancelPressed) hooks_.clearCancelPressed();
    portSelectPending_ = true;
    const std::optional<NamesScan> scan = LoadNamesFile(kNamesFile);
    if (!scan)
        ShowMessage(QStringLiteral("Nelze otevřít soubor names.ini s pojmenováním proměnných"));
    else
        ShowNames(names_, scan->captions);
    timer1_->start();
}

void TForm1::ShowMessage(const QString& text) {
    if (hooks_.showMessage) {
        hooks_.showMessage(this, text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, QGuiApplication::applicationDisplayName(), text,
                    QMessageBox::Ok, this);
    box.exec();
}

void TForm1::ShowFrame(const TRead& reader) {
    const Frame& frame = reader.FrameBuffer();
    if (ByteReceived) {
        prijem_->SetFillColor(LinkAliveColor);
        label69_->hide();
        RestartTimer1();
    }
    SetTextIfChanged(edit1_, PlcHexText(frame));
    SetTextIfChanged(edit2_, RtHexText(frame));
    SetTextIfChanged(edit3_, QString::fromStdString(StatusLine));
    for (int n = 1; n <= kLampCount; ++n)
        lamps_[n - 1]->SetFillColor(LampBit(frame, n) ? LampColorOn : LampColorOff);
}

void TForm1::Timer1Timer() {
    prijem_->SetFillColor(LampColorOn);
    label69_->show();
    timer1_->stop();
    if (portSelectPending_ && portProcedure_) portProcedure_();
}

void TForm1::RestartTimer1() {
    timer1_->stop();
    timer1_->start();
}

void TForm1::SetPortProcedure(std::function<void()> procedure) {
    portProcedure_ = std::move(procedure);
}

void TForm1::SetCloseProcedure(std::function<void()> procedure) {
    closeProcedure_ = std::move(procedure);
}

void TForm1::closeEvent(QCloseEvent* event) {
    // The close procedure stops the reader and releases the port: once is all it can do.
    if (!closed_) {
        closed_ = true;
        if (closeProcedure_) closeProcedure_();
    }
    event->accept();
}

}  // namespace zorvane
