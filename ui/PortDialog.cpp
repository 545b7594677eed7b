#include "PortDialog.h"

#include <QFrame>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

#include "PortName.h"

namespace zorvane {

namespace {

constexpr Qt::WindowFlags kFixedDialog = Qt::Dialog | Qt::CustomizeWindowHint |
                                         Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                                         Qt::MSWindowsFixedSizeDialogHint;

QPushButton* AddButton(QWidget* parent, const char* name, const char* caption, int top) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setGeometry(300, top, 75, 25);
    return button;
}

}  // namespace

PortDialog::PortDialog(QWidget* parent) : QDialog(parent, kFixedDialog) {
    setObjectName("OKRightDlg");
    setWindowTitle("Choose port");
    setFixedSize(384, 179);

    // First, so it lies beneath the radio buttons it frames.
    auto* bevel = new QFrame(this);
    bevel->setObjectName("Bevel1");
    bevel->setFrameStyle(QFrame::Box | QFrame::Sunken);
    bevel->setGeometry(8, 8, 281, 161);

    QPushButton* ok = AddButton(this, "OKBtn", "OK", 8);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    cancelButton_ = AddButton(this, "CancelBtn", "Cancel", 38);
    connect(cancelButton_, &QPushButton::clicked, this, [this] {
        cancelled_ = true;
        reject();
    });

    QWidget* previous = cancelButton_;
    setTabOrder(ok, cancelButton_);
    for (int number = 1; number <= 4; ++number) {
        AddPortButton(number, 32 * number);
        QWidget* radio = findChild<QRadioButton*>(QString::fromStdString(PortName(number)));
        setTabOrder(previous, radio);
        previous = radio;
    }
    ok->setFocus();
    CentreOnScreen();
}

std::optional<int> PortDialog::Choose(QWidget* parent) {
    // Guarded: the parent could take a dialog that is still open with it.
    QPointer<PortDialog> dialog = new PortDialog(parent);
    dialog->exec();  // its result is not consulted: only Cancel cancels
    std::optional<int> chosen;
    if (dialog && !dialog->Cancelled()) chosen = dialog->ChosenPort();
    delete dialog;
    return chosen;
}

void PortDialog::AddPortButton(int number, int top) {
    const std::string name = PortName(number);
    auto* radio = new QRadioButton(QString::fromStdString(name), this);
    radio->setObjectName(QString::fromStdString(name));
    radio->setGeometry(32, top, 113, 17);
    radio->setChecked(number == 1);
    radio->setToolTip(QString::fromStdString(DescribeDevice(DevicePath(name))));
    // However it got checked: a click, the keyboard, or assistive technology's Toggle action.
    connect(radio, &QRadioButton::toggled, this, [this, number](bool on) {
        if (on) chosenPort_ = number;
    });
}

void PortDialog::CentreOnScreen() {
    const QScreen* screen = this->screen();
    if (screen == nullptr) return;  // no screen yet: the window system places it
    QRect area(QPoint(), size());
    area.moveCenter(screen->availableGeometry().center());
    move(area.topLeft());
}

void PortDialog::keyPressEvent(QKeyEvent* event) {
    // Esc presses the Cancel button, so it decides like Cancel does; a bare reject() would not.
    if (event->matches(QKeySequence::Cancel)) {
        cancelButton_->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace zorvane
