#pragma once

#include <chrono>
#include <functional>
#include <memory>

#include "ByteSource.h"
#include "HandOff.h"
#include "PortError.h"
#include "PortHost.h"
#include "PortOpener.h"
#include "TRead.h"
#include "UiTaskQueue.h"

namespace zorvane {

// The port from choice to close: the port procedure (dialog, open, reader) and the close
// procedure. Lives on the user-interface thread and owns the port, the hand-off and the reader.
class PortLifecycle {
  public:
    // Ends the program at once: the current handler returns, the event loop ends with status 0,
    // and the close procedure does not run.
    using EndApplication = std::function<void()>;
    static void QuitApplication();

    // Longest wait for the reader to notice its stop request; it needs one read time-out at most.
    static constexpr std::chrono::milliseconds kReaderGrace{250};

    PortLifecycle(PortHost& host, PortOpener& opener,
                  EndApplication endApplication = &PortLifecycle::QuitApplication);
    // Runs the close procedure, so no reader outlives the window it shows frames on.
    ~PortLifecycle();
    PortLifecycle(const PortLifecycle&) = delete;
    PortLifecycle& operator=(const PortLifecycle&) = delete;

    // Timer1Timer runs this while PortSelectPending is set.
    void PortProcedure();
    // FormClose runs this. Stops the reader, then restores the port's time-outs and closes it;
    // without an open port it does nothing.
    void CloseProcedure();

    bool PortOpen() const { return port_ != nullptr; }

  private:
    void StartReader(std::unique_ptr<ByteSource> port);
    void OfferAnotherPort(const OpenError& error);

    PortHost& host_;
    PortOpener& opener_;
    EndApplication endApplication_;
    UiTaskQueue uiQueue_;  // hand-offs wait here; first member, so it goes last
    std::unique_ptr<HandOff> handOff_;
    std::unique_ptr<ByteSource> port_;
    std::unique_ptr<TRead> reader_;  // last member: stopped before what it uses goes
};

}  // namespace zorvane
