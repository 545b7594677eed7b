#pragma once

#include <chrono>
#include <functional>
#include <memory>

#include "ByteSource.h"
#include "DeviceCatalogue.h"
#include "HandOff.h"
#include "PortError.h"
#include "PortHost.h"
#include "PortOpener.h"
#include "ReaderThread.h"
#include "ShownRecord.h"
#include "UiTaskQueue.h"
#include "UserSettings.h"

namespace zorvane {

// The port from choice to close: the port procedure (dialog, open, reader) and the close
// procedure. Lives on the user-interface thread and owns the port, the hand-off, the reader and
// the record of what the window shows while the port is open (unless the settings turn it off).
class PortLifecycle {
  public:
    // Ends the program at once: the current handler returns, the event loop ends with status 0,
    // and the close procedure does not run.
    using EndApplication = std::function<void()>;
    static void QuitApplication();

    // Longest wait for the reader to notice its stop request; it needs one read time-out at most.
    static constexpr std::chrono::milliseconds kReaderGrace{250};

    // The dialog lists what `catalogue` finds and starts at the port opened last, which
    // `settings` remember.
    PortLifecycle(PortHost& host, PortOpener& opener,
                  EndApplication endApplication = &PortLifecycle::QuitApplication,
                  DeviceCatalogue catalogue = DeviceCatalogue(),
                  UserSettings settings = UserSettings());
    // Runs the close procedure, so no reader outlives the window it shows frames on.
    ~PortLifecycle();
    PortLifecycle(const PortLifecycle&) = delete;
    PortLifecycle& operator=(const PortLifecycle&) = delete;

    // The watchdog's tick runs this while a port is still to be chosen: the dialog, then the
    // opening, or the question whether to choose another port.
    void ChooseAndOpenPort();
    // The window's close runs this. Stops the reader, then restores the port's time-outs and
    // closes it, then closes the record; without an open port it does nothing. No port opens
    // after it.
    void Close();

    // The watchdog turned the link indicator red: the record notes the silence.
    void SilenceShown();
    // Puts the record so far on the disk, waiting at most a second (a logout may end us next).
    void KeepRecord();

    bool PortOpen() const { return port_ != nullptr; }

  private:
    void StartRecord(const std::string& port);
    void StartReader(std::unique_ptr<ByteSource> port);
    void OfferAnotherPort(const OpenError& error);

    PortHost& host_;
    PortOpener& opener_;
    EndApplication endApplication_;
    DeviceCatalogue catalogue_;
    UserSettings settings_;
    bool closed_ = false;
    UiTaskQueue uiQueue_;  // hand-offs wait here; destroyed after the reader
    std::unique_ptr<HandOff> handOff_;
    std::unique_ptr<ByteSource> port_;
    std::unique_ptr<ShownRecord> record_;   // the reader and the port's listener write to it
    std::unique_ptr<ReaderThread> reader_;  // last member: stopped before what it uses goes
};

}  // namespace zorvane
