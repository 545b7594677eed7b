#pragma once

#include <QString>
#include <QWidget>
#include <array>
#include <functional>

#include "Frame.h"

class QLabel;
class QLineEdit;
class QTimer;

namespace zorvane {

class ShapeWidget;
class TRead;

// The main window Form1: two panels of named lamps, the hex texts of the last frame, the link
// indicator `prijem` with its warning `Label69`, and `Timer1`, which first starts the port
// selection and afterwards is the 40 ms watchdog. Every control carries its name as objectName.
class TForm1 : public QWidget {
    Q_OBJECT
  public:
    // What FormCreate needs from outside, given before it runs (it runs in the constructor).
    struct Hooks {
        // Clears the port dialog's CancelPressed flag; unset does nothing.
        std::function<void()> clearCancelPressed;
        // Shows a plain modal message with one OK button; unset uses a QMessageBox.
        std::function<void(QWidget* parent, const QString& text)> showMessage;
    };

    explicit TForm1(Hooks hooks = {}, QWidget* parent = nullptr);

    // Puts the reader's complete frame on the window. User-interface thread only, while the
    // reader waits in its hand-off.
    void ShowFrame(const TRead& reader);

    // Run by Timer1Timer while PortSelectPending is set.
    void SetPortProcedure(std::function<void()> procedure);
    // Run once by FormClose, before the window closes.
    void SetCloseProcedure(std::function<void()> procedure);

    bool PortSelectPending() const { return portSelectPending_; }
    void SetPortSelectPending(bool pending) { portSelectPending_ = pending; }
    // Disable and re-enable Timer1: it fires once, 40 ms from now.
    void RestartTimer1();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void BuildControls();
    void BuildLampPanels();
    void PlaceOnScreen();
    void FormCreate();
    void Timer1Timer();
    void ShowMessage(const QString& text);

    Hooks hooks_;
    std::function<void()> portProcedure_;
    std::function<void()> closeProcedure_;
    bool portSelectPending_ = false;
    bool closed_ = false;

    // Children, owned through Qt parenthood; index n - 1 is lamp n.
    std::array<ShapeWidget*, kLampCount> lamps_{};
    std::array<QLabel*, kLampCount> names_{};
    ShapeWidget* prijem_ = nullptr;
    QLabel* label69_ = nullptr;
    QLineEdit* edit1_ = nullptr;
    QLineEdit* edit2_ = nullptr;
    QLineEdit* edit3_ = nullptr;
    QTimer* timer1_ = nullptr;
};

}  // namespace zorvane
