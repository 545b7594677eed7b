#include "MonitorStack.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include "EventWait.h"
#include "PortDialog.h"

namespace zorvane::bench {

namespace {

constexpr int kDialogWatchMs = 2;

std::unique_ptr<MainWindow> MakeWindow(std::vector<QString>& messages) {
    return std::make_unique<MainWindow>(
        [&messages](QWidget*, const QString& text, const QString&) { messages.push_back(text); });
}

}  // namespace

PortOpenResult MonitorStack::WrappingOpener::Open(const std::string& portName,
                                                  ReconnectingPort::Listener listener) {
    PortOpenResult opened = system_.Open(portName, std::move(listener));
    if (opened.port && wrap_) opened.port = wrap_(std::move(opened.port));
    return opened;
}

MonitorStack::MonitorStack(PortWrapper wrap)
    : window_(MakeWindow(messages_)),
      tally_(*window_),
      opener_(std::move(wrap)),
      lifecycle_(tally_, opener_, [this] { ended_ = true; }) {
    // Closing our window must not end the caller's event loops.
    QApplication::setQuitOnLastWindowClosed(false);
    window_->SetPortProcedure([this] { lifecycle_.ChooseAndOpenPort(); });
    window_->SetCloseProcedure([this] { lifecycle_.Close(); });
    window_->SetSilenceProcedure([this] { lifecycle_.SilenceShown(); });
    dialogWatch_.setInterval(kDialogWatchMs);
    QObject::connect(&dialogWatch_, &QTimer::timeout, [this] { PressOkInPortDialog(); });
    window_->show();
}

MonitorStack::~MonitorStack() = default;

bool MonitorStack::Open(std::chrono::milliseconds limit) {
    dialogWatch_.start();
    const bool open = WaitFor([this] { return PortOpen() || ended_; }, limit);
    dialogWatch_.stop();
    return open && PortOpen();
}

bool MonitorStack::OpenNow(std::chrono::milliseconds limit) {
    dialogWatch_.start();
    lifecycle_.ChooseAndOpenPort();  // the dialog's own event loop runs the watch
    dialogWatch_.stop();
    return Open(limit);
}

void MonitorStack::PressOkInPortDialog() {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || !modal->isVisible()) return;
    if (auto* dialog = qobject_cast<PortDialog*>(modal)) {
        dialog->findChild<QPushButton*>("OKBtn")->click();
        return;
    }
    // The port did not open and the program asks whether to choose another: no, end instead
    // of waiting for ever.
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        messages_.push_back(box->text() + QStringLiteral(": ") + box->informativeText());
        box->button(QMessageBox::No)->click();
    }
}

std::chrono::microseconds MonitorStack::Close() {
    const auto started = std::chrono::steady_clock::now();
    window_->close();
    const auto took = std::chrono::steady_clock::now() - started;
    tally_.MarkClosed();
    return std::chrono::duration_cast<std::chrono::microseconds>(took);
}

}  // namespace zorvane::bench
