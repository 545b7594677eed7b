#include "PortDialog.h"

#include <QButtonGroup>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>

#include "PortName.h"

namespace zorvane {

namespace {

constexpr Qt::WindowFlags kFixedDialog = Qt::Dialog | Qt::CustomizeWindowHint |
                                         Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                                         Qt::MSWindowsFixedSizeDialogHint;
constexpr QSize kDesignedSize(384, 179);  // below it the found devices
constexpr int kMargin = 8;
constexpr const char* kArrow = " → ";

QPushButton* AddButton(QWidget* parent, const char* name, const char* caption, int top) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setGeometry(300, top, 75, 25);
    return button;
}

// `text` cut with "…" to fit `width`; the whole of it goes into the tooltip.
QString Fitting(const QWidget* widget, const QString& text, int width, Qt::TextElideMode mode) {
    return widget->fontMetrics().elidedText(text, mode, width);
}

// The device node behind a path, links followed: "/dev/ttyUSB0".
std::string Node(const std::string& path) {
    std::error_code unresolved;  // then the path is all there is to say
    const std::filesystem::path node = std::filesystem::canonical(path, unresolved);
    return unresolved ? path : node.string();
}

// A port that is not a found device: its name, and the device it leads to when that differs.
PortChoice PathChoice(const std::string& port) {
    const std::string node = Node(DevicePath(port));
    return {port, node == port ? port : port + " (" + node + ")"};
}

}  // namespace

PortChoice ChoiceOf(const std::string& port, const DeviceCatalogue& catalogue) {
    for (const SerialDevice& device : catalogue.List())
        if (device.path == port) return {device.path, device.name};
    return PathChoice(port);
}

PortDialog::PortDialog(DeviceCatalogue catalogue, const std::string& preselect, QWidget* parent)
    : QDialog(parent, kFixedDialog),
      catalogue_(std::move(catalogue)),
      choices_(new QButtonGroup(this)) {
    setObjectName("OKRightDlg");
    setWindowTitle("Choose port");

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

    setTabOrder(ok, cancelButton_);
    QWidget* previous = cancelButton_;
    for (int number = 1; number <= 4; ++number) {
        AddPortButton(number, 32 * number);
        setTabOrder(previous, choices_->button(number));
        previous = choices_->button(number);
    }

    found_ = new QGroupBox(QStringLiteral("Nalezené porty"), this);
    found_->setObjectName("FoundPorts");
    noneFound_ = new QLabel(QStringLiteral("Žádný sériový adaptér nenalezen"), found_);
    noneFound_->setObjectName("NoPortsFound");
    (new QVBoxLayout(found_))->addWidget(noneFound_);
    ShowFound(catalogue_.List());
    Preselect(preselect);

    auto* rescan = new QTimer(this);
    connect(rescan, &QTimer::timeout, this, &PortDialog::Rescan);
    rescan->start(kRescanInterval);
    choices_->checkedButton()->setFocus();
    CentreOnScreen();
}

std::optional<PortChoice> PortDialog::Choose(QWidget* parent, const DeviceCatalogue& catalogue,
                                             const std::string& preselect) {
    // Guarded: the parent could take a dialog that is still open with it.
    QPointer<PortDialog> dialog = new PortDialog(catalogue, preselect, parent);
    dialog->exec();  // its result is not consulted: only Cancel cancels
    std::optional<PortChoice> chosen;
    if (dialog && !dialog->Cancelled()) chosen = dialog->Chosen();
    delete dialog;
    return chosen;
}

PortChoice PortDialog::Chosen() const {
    if (const SerialDevice* device = DeviceOf(choices_->checkedButton()))
        return {device->path, device->name};
    const int id = choices_->checkedId();
    return PathChoice(PortName(id >= 1 && id <= 4 ? id : 1));
}

void PortDialog::AddPortButton(int number, int top) {
    const QString name = QString::fromStdString(PortName(number));
    auto* radio = new QRadioButton(name, this);
    radio->setObjectName(name);
    radio->setGeometry(32, top, 113, 17);
    choices_->addButton(radio, number);
    radio->setChecked(number == 1);

    auto* target = new QLabel(this);
    target->setObjectName(name + QStringLiteral("Target"));
    target->setGeometry(148, top, 137, 17);
    targets_[static_cast<std::size_t>(number - 1)] = target;
    ShowTarget(number);
}

void PortDialog::Rescan() {
    for (int number = 1; number <= 4; ++number)
        ShowTarget(number);
    std::vector<SerialDevice> devices = catalogue_.List();
    if (devices != devices_) ShowFound(std::move(devices));
}

// Where COM<number> leads now, or greyed "nenalezen" when nothing is there; it stays a choice.
void PortDialog::ShowTarget(int number) {
    const std::string path = DevicePath(PortName(number));
    const QString where = QString::fromStdString(DescribeDevice(path, kArrow));
    const bool present = catalogue_.Present(path);
    const QString shown = present ? where : QStringLiteral("nenalezen");
    QLabel* target = targets_[static_cast<std::size_t>(number - 1)];
    target->setText(Fitting(target, shown, target->width(), Qt::ElideMiddle));
    target->setEnabled(present);
    target->setToolTip(where);
    QAbstractButton* radio = choices_->button(number);
    radio->setToolTip(where);
    radio->setAccessibleDescription(shown);
}

// Only what came and went changes: a button that stays keeps its check, the keyboard's focus
// and its place in a screen reader.
void PortDialog::ShowFound(std::vector<SerialDevice> devices) {
    std::vector<QRadioButton*> buttons(devices.size(), nullptr);
    for (std::size_t old = 0; old < devices_.size(); ++old) {
        const auto same = std::ranges::find(devices, devices_[old].path, &SerialDevice::path);
        if (same == devices.end())
            delete foundButtons_[old];  // a checked one leaves nothing checked
        else
            buttons[static_cast<std::size_t>(same - devices.begin())] = foundButtons_[old];
    }
    devices_ = std::move(devices);
    foundButtons_ = std::move(buttons);
    auto* layout = static_cast<QBoxLayout*>(found_->layout());
    for (std::size_t i = 0; i < devices_.size(); ++i) {
        QRadioButton*& radio = foundButtons_[i];
        if (!radio) {
            radio = new QRadioButton(found_);
            choices_->addButton(radio);
        }
        layout->removeWidget(radio);  // back in, in the catalogue's order
        layout->insertWidget(static_cast<int>(i) + 1, radio);
        ShowDevice(*radio, devices_[i], static_cast<int>(i) + 1);
        radio->show();  // now, not later: the size below must count it
    }
    // The chosen device went away: back to the first port.
    if (!choices_->checkedButton()) choices_->button(1)->setChecked(true);
    if (!focusWidget()) choices_->checkedButton()->setFocus();
    noneFound_->setVisible(devices_.empty());
    found_->setGeometry(kMargin, kDesignedSize.height(), kDesignedSize.width() - 2 * kMargin,
                        found_->sizeHint().height());
    setFixedSize(kDesignedSize.width(), found_->geometry().bottom() + 1 + kMargin);
}

void PortDialog::ShowDevice(QRadioButton& radio, const SerialDevice& device, int place) const {
    radio.setObjectName(QStringLiteral("FoundPort%1").arg(place));
    const QString description = QString::fromStdString(device.description);
    const int textWidth = kDesignedSize.width() - 2 * kMargin - 48;  // less indicator and frame
    radio.setText(Fitting(&radio, description, textWidth, Qt::ElideRight));
    radio.setToolTip(description);
    radio.setAccessibleName(description);
}

const SerialDevice* PortDialog::DeviceOf(const QAbstractButton* button) const {
    const auto at = std::ranges::find(foundButtons_, button);
    return at == foundButtons_.end() ? nullptr : &devices_[at - foundButtons_.begin()];
}

void PortDialog::Preselect(const std::string& port) {
    DefaultChoice()->setChecked(true);
    for (QAbstractButton* button : choices_->buttons()) {
        const SerialDevice* device = DeviceOf(button);
        const int id = choices_->id(button);
        const bool match = device ? device->path == port
                                  : PortName(id) == port && catalogue_.Present(DevicePath(port));
        if (match) button->setChecked(true);
    }
}

// COM1 as designed, unless nothing usable is behind it and a device was found: a laptop's one
// adapter, where /dev/ttyS0 is missing or is the console that is never opened.
QAbstractButton* PortDialog::DefaultChoice() const {
    const std::string com1 = DevicePath(PortName(1));
    const std::string kernelName = std::filesystem::path(com1).filename().string();
    const bool usable = com1.starts_with("./") || std::ranges::any_of(devices_, [&](const auto& d) {
                            return d.kernelName == kernelName;
                        });
    return usable || devices_.empty() ? choices_->button(1) : foundButtons_.front();
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
