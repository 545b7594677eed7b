#pragma once

#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include "ByteSource.h"
#include "FrameTally.h"
#include "Monitor.h"

namespace zorvane::bench {

// The monitor as the program is made of it (Monitor), with FrameTally counting the frames the
// window shows. The current directory must hold the COM1 link (PortDir).
class MonitorStack {
  public:
    // Lets a caller put a decorator around the opened port (to time reads, say).
    using PortWrapper = std::function<std::unique_ptr<ByteSource>(std::unique_ptr<ByteSource>)>;

    explicit MonitorStack(PortWrapper wrap = {});
    MonitorStack(const MonitorStack&) = delete;
    MonitorStack& operator=(const MonitorStack&) = delete;

    // Lets the first Timer1 tick run the port procedure and presses OK in the port dialog
    // (COM1 is preselected); true once the port is open, the reader runs, and a burst sent now
    // can only have crossed the line after the opening.
    bool Open(std::chrono::milliseconds limit);
    // The same without waiting for the tick: runs the port procedure at once.
    bool OpenNow(std::chrono::milliseconds limit);
    // Closes the window as the user does: FormClose runs the close procedure. Returns how long
    // that took; afterwards no reader runs and the port is closed.
    std::chrono::microseconds Close();

    MainWindow& Window() { return monitor_->Window(); }
    FrameTally& Tally() { return *tally_; }
    bool PortOpen() const { return monitor_->Controller().PortOpen(); }
    bool ApplicationEnded() const { return ended_; }
    // Messages the window would have shown in a box ("names.ini" missing, say).
    const std::vector<QString>& Messages() const { return messages_; }

  private:
    void PressOkInPortDialog();

    std::vector<QString> messages_;
    bool ended_ = false;
    FrameTally* tally_ = nullptr;  // owned by the monitor
    QTimer dialogWatch_;
    std::unique_ptr<Monitor> monitor_;  // last: closes before what it uses goes
};

}  // namespace zorvane::bench
