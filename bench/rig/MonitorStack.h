#pragma once

#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include "ByteSource.h"
#include "FrameTally.h"
#include "MainWindow.h"
#include "PortLifecycle.h"
#include "PortOpener.h"

namespace zorvane::bench {

// The monitor as the program wires it (app/main.cpp): the main window, the port lifecycle
// and the system port opener, with FrameTally counting frames between them. The current
// directory must hold the COM1 link (PortDir).
class MonitorStack {
  public:
    // Lets a caller put a decorator around the opened port (to time reads, say).
    using PortWrapper = std::function<std::unique_ptr<ByteSource>(std::unique_ptr<ByteSource>)>;

    explicit MonitorStack(PortWrapper wrap = {});
    ~MonitorStack();
    MonitorStack(const MonitorStack&) = delete;
    MonitorStack& operator=(const MonitorStack&) = delete;

    // Lets the first Timer1 tick run the port procedure and presses OK in the port dialog
    // (COM1 is preselected); true once the port is open and the reader runs.
    bool Open(std::chrono::milliseconds limit);
    // The same without waiting for the tick: runs the port procedure at once.
    bool OpenNow(std::chrono::milliseconds limit);
    // Closes the window as the user does: FormClose runs the close procedure. Returns how long
    // that took; afterwards no reader runs and the port is closed.
    std::chrono::microseconds Close();

    MainWindow& Window() { return *window_; }
    FrameTally& Tally() { return tally_; }
    bool PortOpen() const { return lifecycle_.PortOpen(); }
    bool ApplicationEnded() const { return ended_; }
    // Messages the window would have shown in a box ("names.ini" missing, say).
    const std::vector<QString>& Messages() const { return messages_; }

  private:
    class WrappingOpener : public PortOpener {
      public:
        explicit WrappingOpener(PortWrapper wrap) : wrap_(std::move(wrap)) {}
        PortOpenResult Open(const std::string& portName,
                            ReconnectingPort::Listener listener) override;

      private:
        SystemPortOpener system_;
        PortWrapper wrap_;
    };

    void PressOkInPortDialog();

    std::vector<QString> messages_;
    bool ended_ = false;
    std::unique_ptr<MainWindow> window_;
    FrameTally tally_;
    WrappingOpener opener_;
    QTimer dialogWatch_;
    PortLifecycle lifecycle_;  // last: closes before what it uses goes
};

}  // namespace zorvane::bench
