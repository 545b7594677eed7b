#pragma once

#include <QDialog>
#include <optional>

class QPushButton;

namespace zorvane {

// The port dialog "Choose port" (objectName OKRightDlg). Only the Cancel button (or Esc, which
// presses it) cancels: OK and the close box both go on with the chosen port.
class PortDialog : public QDialog {
    Q_OBJECT

  public:
    explicit PortDialog(QWidget* parent = nullptr);

    // Shows a fresh dialog modally (so it starts at COM1); the chosen port 1..4, or nothing
    // when the user cancelled.
    static std::optional<int> Choose(QWidget* parent);

    int ChosenPort() const { return chosenPort_; }
    bool Cancelled() const { return cancelled_; }

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void AddPortButton(int number, int top);
    void CentreOnScreen();

    QPushButton* cancelButton_ = nullptr;
    int chosenPort_ = 1;
    bool cancelled_ = false;
};

}  // namespace zorvane
