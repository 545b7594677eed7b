#include "MonitorStack.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include "EventWait.h"
#include "PortDialog.h"

namespace zorvane::bench {

namespace {
constexpr int kDialogWatchMs = 2;
// What one read can bring (256 bytes) takes 49 ms on the line.
constexpr std::chrono::milliseconds kLongestRead{50};
}  // namespace

MonitorStack::MonitorStack(PortWrapper wrap) {
    Monitor::Options options;
    options.showMessage = [this](QWidget*, const QString& text, const QString&) {
        messages_.push_back(text);
    };
    options.endApplication = [this] { ended_ = true; };
    options.wrapPort = std::move(wrap);
    options.wrapView = [this](MonitorView& window) {
        auto tally = std::make_unique<FrameTally>(window);
        tally_ = tally.get();
        return tally;
    };
    monitor_ = std::make_unique<Monitor>(std::move(options));
    // Closing our window must not end the caller's event loops.
    QApplication::setQuitOnLastWindowClosed(false);
    dialogWatch_.setInterval(kDialogWatchMs);
    QObject::connect(&dialogWatch_, &QTimer::timeout, [this] { PressOkInPortDialog(); });
    monitor_->Window().show();
}

bool MonitorStack::Open(std::chrono::milliseconds limit) {
    dialogWatch_.start();
    const bool open = WaitFor([this] { return PortOpen() || ended_; }, limit);
    dialogWatch_.stop();
    // A pseudo-terminal passes a burst on at once, where a line would take its time: frames read
    // right after the opening would seem to have crossed before it, and go as what waited there.
    if (open) RunFor(kLongestRead);
    return open && PortOpen();
}

bool MonitorStack::OpenNow(std::chrono::milliseconds limit) {
    dialogWatch_.start();
    monitor_->Controller().ChooseAndOpenPort();  // the dialog's own event loop runs the watch
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
    monitor_->Window().close();
    const auto took = std::chrono::steady_clock::now() - started;
    tally_->MarkClosed();
    return std::chrono::duration_cast<std::chrono::microseconds>(took);
}

}  // namespace zorvane::bench
