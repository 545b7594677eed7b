#pragma once

#include <QString>
#include <QWidget>
#include <array>
#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "Frame.h"
#include "HealthText.h"
#include "LineEvent.h"
#include "NamesScan.h"

class QLabel;
class QTimer;

namespace zorvane {

class Lamp;
class LampPanel;
class RepaintPacer;
class ShapeWidget;
class TextField;

// The main window (objectName Form1): two panels of named lamps, the hex texts of the last
// frame, the link indicator with its warning, and the 40 ms watchdog timer, whose first tick
// starts the port selection. Every control carries its on-screen name as objectName.
class MainWindow : public QWidget {
    Q_OBJECT
  public:
    // Shows a plain modal message with one OK button, and a line of detail below it.
    using MessageFn =
        std::function<void(QWidget* parent, const QString& text, const QString& detail)>;

    // Loads the lamp names from `namesFile`, by default names.ini in the current folder (a
    // missing file is reported through `showMessage`, by default a message box) and starts the
    // watchdog.
    explicit MainWindow(MessageFn showMessage = {},
                        const QString& namesFile = QStringLiteral("names.ini"),
                        QWidget* parent = nullptr);

    // Puts a complete frame on the window: lamps, hex texts, the status line of its last byte,
    // a live indicator, and the watchdog started afresh. User-interface thread only, while the
    // reader waits.
    void ShowFrame(const LineEvent& frame);
    // The line has been silent for kSilenceLimit, though the watchdog did not get to say so.
    void ShowLinkDown();

    // Run by the watchdog's tick while a port is still to be chosen.
    void SetPortProcedure(std::function<void()> procedure);
    // Run once when the window closes.
    void SetCloseProcedure(std::function<void()> procedure);
    // When the latest frame read crossed the line, shown or not yet. A watchdog tick that finds
    // the next frame already on its way, within kSilenceLimit of the last one shown, leaves the
    // indicator green: the window and every log judge a silence alike.
    using LatestFrameProbe = std::function<std::optional<std::chrono::steady_clock::time_point>()>;
    void SetLatestFrameProbe(LatestFrameProbe probe);

    // The port's device is gone and waited for (tooltip of the indicator), or back (empty).
    void ShowPortWaiting(const QString& device);
    // Why the record cannot be written (tooltip of the indicator, below the port's), or nothing.
    void ShowRecordTrouble(const QString& trouble);
    // How the line itself fares (tooltip of the indicator, and its accessible description).
    void ShowLineHealth(const LineHealth& health);

    // The names file read at start, as an absolute path, and what it gave; empty and nothing
    // when none could be read.
    const QString& NamesFile() const { return namesFile_; }
    const std::optional<NamesScan>& Names() const { return names_; }

    // The window title names the open port: "Zorvane — COM1 (/dev/ttyUSB0)"; "Zorvane" alone
    // while `name` is empty.
    void ShowOpenPort(const QString& name);

    // A fresh port dialog on the watchdog's next tick, a full interval from now.
    void ChooseAnotherPortLater();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void BuildControls();
    void BuildLampPanels();
    void PlaceOnScreen();
    void LoadLampNames(const QString& file);
    void OnWatchdogTimeout();
    bool FrameOnItsWay() const;
    void ShowSilence();
    void SetIndicator(QColor color);
    void PutLastFrameOnWindow();
    void ShowWarning(bool shown);
    void RestartWatchdog();
    void ShowIndicatorTip();

    MessageFn showMessage_;
    std::function<void()> portProcedure_;
    std::function<void()> closeProcedure_;
    LatestFrameProbe latestFrame_;
    QString namesFile_;
    std::optional<NamesScan> names_;
    QString portWaiting_;  // the indicator's tooltip, in two parts
    QString recordTrouble_;
    HealthText health_;
    QString healthText_;
    bool portSelectPending_ = true;
    // The last frame and the status line of its last byte, put on the window at the next paint.
    std::optional<Frame> lastFrame_;
    ReceiverState lastBefore_;
    bool lastShown_ = true;                                  // the window's texts show them
    std::chrono::steady_clock::time_point shownLineTime_{};  // when it crossed the line
    bool closed_ = false;
    RepaintPacer* repaintPacer_;

    // Children, owned through Qt parenthood; index n - 1 is lamp n.
    LampPanel* lampPanel_ = nullptr;
    std::array<Lamp*, kLampCount> lamps_{};
    std::array<QLabel*, kLampCount> lampNames_{};
    ShapeWidget* linkIndicator_ = nullptr;
    QLabel* silentWarning_ = nullptr;
    TextField* plcHex_ = nullptr;
    TextField* rtHex_ = nullptr;
    TextField* statusLine_ = nullptr;
    QTimer* watchdog_ = nullptr;
};

}  // namespace zorvane
