#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "ByteSource.h"
#include "DeviceCatalogue.h"
#include "HandOff.h"
#include "LineCore.h"
#include "MonitorView.h"
#include "PortDialog.h"
#include "PortError.h"
#include "PortOpener.h"
#include "ReaderThread.h"
#include "ShownRecord.h"
#include "UiTaskQueue.h"
#include "UserSettings.h"

namespace zorvane {

// The monitor's controller: the port from choice to close. The port procedure (dialog, open,
// reader) and the close procedure. Lives on the user-interface thread and owns the port, the
// line core, the hand-off, the reader and the record of what the window shows while the port is
// open (unless the settings turn it off).
class MonitorController {
  public:
    // Ends the program at once: the current handler returns, the event loop ends with status 0,
    // and the close procedure does not run.
    using EndApplication = std::function<void()>;
    static void QuitApplication();

    // Longest wait for the reader to notice its stop request; it needs one read time-out at most.
    static constexpr std::chrono::milliseconds kReaderGrace{250};

    // The dialog lists what `catalogue` finds and starts at the port opened last, which
    // `settings` remember.
    MonitorController(MonitorView& view, PortOpener& opener,
                      EndApplication endApplication = &MonitorController::QuitApplication,
                      DeviceCatalogue catalogue = DeviceCatalogue(),
                      UserSettings settings = UserSettings());
    // Runs the close procedure, so no reader outlives the window it shows frames on.
    ~MonitorController();
    MonitorController(const MonitorController&) = delete;
    MonitorController& operator=(const MonitorController&) = delete;

    // The first tick opens `port` ("COM1", a device path) without the dialog; should it fail,
    // the question follows as after the dialog. Empty: the dialog as always.
    void OpenAtStart(std::string port) { startPort_ = std::move(port); }

    // The watchdog's tick runs this while a port is still to be chosen: the dialog (or the port
    // to open at start), then the opening, or the question whether to choose another port.
    void ChooseAndOpenPort();
    // The window's close runs this. Stops the reader, then restores the port's settings and
    // closes it, then closes the record; without an open port it does nothing. No port opens
    // after it.
    void Close();

    // Puts the record so far on the disk, waiting at most a second (a logout may end us next).
    void KeepRecord();

    bool PortOpen() const { return port_ != nullptr; }
    // When the latest frame read crossed the line, shown or not yet; nothing before the first.
    std::optional<std::chrono::steady_clock::time_point> LatestFrameTime() const;

  private:
    std::optional<PortChoice> Choose();
    void StartRecord(const std::string& port);
    void StartReader(std::unique_ptr<ByteSource> port);
    void Show(const LineEvent& event);
    void OfferAnotherPort(const OpenError& error);

    MonitorView& view_;
    PortOpener& opener_;
    EndApplication endApplication_;
    DeviceCatalogue catalogue_;
    UserSettings settings_;
    bool closed_ = false;
    std::string startPort_;  // until its one try
    std::string preselect_;  // the dialog's first choice: the port asked for, or the last one
    UiTaskQueue uiQueue_;    // hand-offs wait here; destroyed after the reader
    std::unique_ptr<HandOff> handOff_;
    std::unique_ptr<ByteSource> port_;
    LineCore line_;           // the reader's; the port tells it of its losses from inside reads
    std::string lostDevice_;  // written by the reader, read while it waits in a hand-off
    std::unique_ptr<ShownRecord> record_;
    std::unique_ptr<ReaderThread> reader_;  // last member: stopped before what it uses goes
};

}  // namespace zorvane
