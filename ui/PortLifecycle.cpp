#include "PortLifecycle.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPointer>

#include "LineSettings.h"
#include "PortDialog.h"

namespace zorvane {

namespace {

// Detail below the question: which device, and what the system said about it.
bool AnotherPortWanted(QWidget* parent, const OpenError& error) {
    QPointer<QMessageBox> box =
        new QMessageBox(QMessageBox::Question, QString(),
                        QStringLiteral("Tento port neexistuje, chcete vybrat jiný"),
                        QMessageBox::Yes | QMessageBox::No, parent);
    box->setDefaultButton(QMessageBox::Yes);
    box->setInformativeText(QString::fromStdString(error.CzechReason()));
    const bool yes = box->exec() == QMessageBox::Yes;
    delete box;
    return yes;
}

}  // namespace

void PortLifecycle::QuitApplication() {
    QCoreApplication::exit(0);
}

PortLifecycle::PortLifecycle(PortHost& host, PortOpener& opener, EndApplication endApplication,
                             DeviceCatalogue catalogue, UserSettings settings)
    : host_(host),
      opener_(opener),
      endApplication_(std::move(endApplication)),
      catalogue_(std::move(catalogue)),
      settings_(std::move(settings)) {}

PortLifecycle::~PortLifecycle() {
    Close();
}

void PortLifecycle::ChooseAndOpenPort() {
    if (port_) return;  // a run opens a port once; there is no changing it while open
    const std::optional<PortChoice> choice =
        PortDialog::Choose(host_.DialogParent(), catalogue_, settings_.LastPort().toStdString());
    if (!choice) {
        endApplication_();
        return;
    }
    PortOpenResult opened = opener_.Open(
        choice->port, [this](ReconnectingPort::Change change, const std::string& device) {
            // On the reader thread: the window hears of it on its own thread, without waiting.
            const std::string waitingFor =
                change == ReconnectingPort::Change::Lost ? device : std::string();
            uiQueue_.Post([this, waitingFor] { host_.ShowPortWaiting(waitingFor); });
        });
    if (!opened.port) {
        OfferAnotherPort(opened.error);
        return;
    }
    // Remembering is a convenience: a file that cannot be written stops nothing.
    (void)settings_.SetLastPort(QString::fromStdString(choice->port));
    host_.ShowOpenPort(choice->title);
    StartReader(std::move(opened.port));
}

void PortLifecycle::OfferAnotherPort(const OpenError& error) {
    if (AnotherPortWanted(host_.DialogParent(), error)) {
        host_.ChooseAnotherPortLater();
    } else {
        endApplication_();
    }
}

void PortLifecycle::StartReader(std::unique_ptr<ByteSource> port) {
    port_ = std::move(port);
    handOff_ = std::make_unique<HandOff>(
        [queue = &uiQueue_](std::function<void()> task) { queue->Post(std::move(task)); });
    reader_ = std::make_unique<ReaderThread>(
        *port_, kReadTimeout, *handOff_, [this](const Frame& frame, const std::string& statusLine) {
            host_.ShowFrame(frame, statusLine);
        });
}

void PortLifecycle::Close() {
    if (reader_) {
        // 1. Stop request: noticed after the current read (at most one time-out) or hand-off.
        reader_->RequestStop();
        // 2. Releases a reader waiting for this thread; frames still queued never show.
        handOff_->Cancel();
        // 3. Wait for the loop to end, then join. The join follows even past the grace period:
        //    the port must never be closed under a read that is still running.
        reader_->WaitUntilEnded(kReaderGrace);
        reader_.reset();
    }
    // 4. Restore the saved time-outs and close.
    port_.reset();
}

}  // namespace zorvane
