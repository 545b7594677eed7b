#include "TOKRightDlg.h"

#include <QFrame>
#include <QKeyEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

#include "PortGlobals.h"
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

TOKRightDlg::TOKRightDlg(QWidget* parent) : QDialog(parent, kFixedDialog) {
    setObjectName("OKRightDlg");
    setWindowTitle("Choose port");
    setFixedSize(384, 179);

    // First, so it lies beneath the radio buttons it frames.
    Bevel1 = new QFrame(this);
    Bevel1->setObjectName("Bevel1");
    Bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Bevel1->setGeometry(8, 8, 281, 161);

    OKBtn = AddButton(this, "OKBtn", "OK", 8);
    OKBtn->setDefault(true);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);

    CancelBtn = AddButton(this, "CancelBtn", "Cancel", 38);
    connect(CancelBtn, &QPushButton::clicked, this, &TOKRightDlg::CancelBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);

    COM1 = AddPort(1, 32, &TOKRightDlg::COM1Click);
    COM2 = AddPort(2, 64, &TOKRightDlg::COM2Click);
    COM3 = AddPort(3, 96, &TOKRightDlg::COM3Click);
    COM4 = AddPort(4, 128, &TOKRightDlg::COM4Click);
    COM1->setChecked(true);

    setTabOrder(OKBtn, CancelBtn);
    setTabOrder(CancelBtn, COM1);
    setTabOrder(COM1, COM2);
    setTabOrder(COM2, COM3);
    setTabOrder(COM3, COM4);
    OKBtn->setFocus();

    FormCreate();
    CentreOnScreen();
}

QRadioButton* TOKRightDlg::AddPort(int number, int top, void (TOKRightDlg::*onClick)()) {
    const std::string name = PortName(number);
    auto* radio = new QRadioButton(QString::fromStdString(name), this);
    radio->setObjectName(QString::fromStdString(name));
    radio->setGeometry(32, top, 113, 17);
    radio->setToolTip(QString::fromStdString(DescribeDevice(DevicePath(name))));
    connect(radio, &QRadioButton::clicked, this, onClick);
    return radio;
}

void TOKRightDlg::CentreOnScreen() {
    const QScreen* screen = this->screen();
    if (screen == nullptr) return;  // no screen yet: the window system places it
    QRect area(QPoint(), size());
    area.moveCenter(screen->availableGeometry().center());
    move(area.topLeft());
}

void TOKRightDlg::keyPressEvent(QKeyEvent* event) {
    // Esc presses the Cancel button, so it decides like Cancel does; a bare reject() would not.
    if (event->matches(QKeySequence::Cancel)) {
        CancelBtn->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TOKRightDlg::FormCreate() {
    PortChoice = 1;
}
void TOKRightDlg::COM1Click() {
    PortChoice = 1;
}
void TOKRightDlg::COM2Click() {
    PortChoice = 2;
}
void TOKRightDlg::COM3Click() {
    PortChoice = 3;
}
void TOKRightDlg::COM4Click() {
    PortChoice = 4;
}
void TOKRightDlg::CancelBtnClick() {
    CancelPressed = true;
}

}  // namespace zorvane
