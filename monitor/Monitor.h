#pragma once

#include <functional>
#include <memory>
#include <string>

#include "ByteSource.h"
#include "MainWindow.h"
#include "MonitorController.h"
#include "MonitorView.h"
#include "PortOpener.h"

namespace zorvane {

// The monitor as one piece: the main window, its controller with the system's ports, and what
// ties them together. The program and the bench's rig are both made of it.
class Monitor {
  public:
    struct Options {
        MainWindow::MessageFn showMessage;  // default: message boxes
        MonitorController::EndApplication endApplication = &MonitorController::QuitApplication;
        // Wraps each port opened (the bench times its reads).
        std::function<std::unique_ptr<ByteSource>(std::unique_ptr<ByteSource>)> wrapPort;
        // Wraps the window as the controller sees it (the bench counts what it shows).
        std::function<std::unique_ptr<MonitorView>(MonitorView& window)> wrapView;
        QString namesFile = QStringLiteral("names.ini");  // relative to the current folder
        std::string port;  // opened at the first tick without the dialog; empty: the dialog
    };

    // Reads the names file and starts the watchdog, whose first tick opens the port, or the
    // port dialog.
    explicit Monitor(Options options);
    Monitor();
    Monitor(const Monitor&) = delete;
    Monitor& operator=(const Monitor&) = delete;

    MainWindow& Window() { return window_; }
    MonitorController& Controller() { return controller_; }

  private:
    class WindowView;
    class Opener final : public PortOpener {
      public:
        explicit Opener(decltype(Options::wrapPort) wrap) : wrap_(std::move(wrap)) {}
        PortOpenResult Open(const std::string& portName,
                            ReconnectingPort::Listener listener) override;

      private:
        SystemPortOpener system_;
        decltype(Options::wrapPort) wrap_;
    };

    MainWindow window_;
    std::unique_ptr<MonitorView> windowView_;
    std::unique_ptr<MonitorView> wrappedView_;
    Opener opener_;
    MonitorController controller_;  // last: closes before what it uses goes
};

}  // namespace zorvane
