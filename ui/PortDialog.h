#pragma once

#include <QDialog>
#include <array>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "DeviceCatalogue.h"

class QAbstractButton;
class QButtonGroup;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace zorvane {

// A port as the user chose it.
struct PortChoice {
    std::string port;   // what opens: "COM1".."COM4", or a found device's stable path
    std::string title;  // names it in the window title: "COM1 (/dev/ttyUSB0)", a device's name
};

// `port` as a choice: a device the catalogue finds by its name, anything else (COMn, a path) with
// the device it leads to: "COM1 (/dev/ttyUSB0)".
PortChoice ChoiceOf(const std::string& port, const DeviceCatalogue& catalogue);

// The port dialog "Choose port" (objectName OKRightDlg): COM1 to COM4, each with where it leads
// now, and below them the serial devices found, kept up to date while the dialog is open. The
// port that opens is the one shown checked, however it got checked. Only the Cancel button (or
// Esc, which presses it) cancels: OK and the close box both go on with the chosen port. The
// keyboard starts on the checked port, so the arrow keys choose and Return presses OK.
class PortDialog : public QDialog {
    Q_OBJECT

  public:
    // How soon a device plugged in or pulled out shows.
    static constexpr std::chrono::milliseconds kRescanInterval{500};

    // Starts at `preselect` ("COM3", or a found device's path) when it leads to a device now,
    // else at COM1; but at the first device found when there is one and COM1 leads to nothing
    // or to the system console (no ./COM1, and no usable /dev/ttyS0).
    explicit PortDialog(DeviceCatalogue catalogue = DeviceCatalogue(),
                        const std::string& preselect = {}, QWidget* parent = nullptr);

    // Shows a fresh dialog modally; the chosen port, or nothing when the user cancelled.
    static std::optional<PortChoice> Choose(QWidget* parent, const DeviceCatalogue& catalogue,
                                            const std::string& preselect);

    PortChoice Chosen() const;
    bool Cancelled() const { return cancelled_; }

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void AddPortButton(int number, int top);
    void Rescan();
    void ShowTarget(int number);
    void ShowFound(std::vector<SerialDevice> devices);
    void ShowDevice(QRadioButton& radio, const SerialDevice& device, int place) const;
    // The found device behind a button; null for COM1..COM4.
    const SerialDevice* DeviceOf(const QAbstractButton* button) const;
    void Preselect(const std::string& port);
    QAbstractButton* DefaultChoice() const;
    void CentreOnScreen();

    DeviceCatalogue catalogue_;
    QPushButton* cancelButton_ = nullptr;
    // Ids: 1..4 the COM ports; the found devices' buttons have the group's own.
    QButtonGroup* choices_ = nullptr;
    std::array<QLabel*, 4> targets_{};
    QGroupBox* found_ = nullptr;
    QLabel* noneFound_ = nullptr;
    std::vector<SerialDevice> devices_;
    std::vector<QRadioButton*> foundButtons_;  // devices_[i]'s button
    bool cancelled_ = false;
};

}  // namespace zorvane
