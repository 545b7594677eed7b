#include "PortLifecycle.h"

#include <QCoreApplication>
#include <QFile>
#include <QMessageBox>
#include <QPointer>

#include "LineSettings.h"
#include "PortDialog.h"
#include "PortName.h"

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
    // A run opens a port once; there is no changing it while open, nor opening it once closed.
    if (port_ || closed_) return;
    const std::optional<PortChoice> choice =
        PortDialog::Choose(host_.DialogParent(), catalogue_, settings_.LastPort().toStdString());
    if (closed_) return;  // closed while the dialog was open (a signal): the program is ending
    if (!choice) {
        endApplication_();
        return;
    }
    PortOpenResult opened = opener_.Open(
        choice->port, [this](ReconnectingPort::Change change, const std::string& device) {
            // On the reader thread, which the record outlives.
            if (record_) record_->PortChanged(change);
            // The window hears of it on its own thread, without waiting.
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
    StartRecord(choice->port);
    StartReader(std::move(opened.port));
}

void PortLifecycle::OfferAnotherPort(const OpenError& error) {
    if (AnotherPortWanted(host_.DialogParent(), error)) {
        host_.ChooseAnotherPortLater();
    } else {
        endApplication_();
    }
}

void PortLifecycle::StartRecord(const std::string& port) {
    if (!settings_.RecordOn()) return;
    PortHost::ShownNames names = host_.NamesShown();
    RecordSettings where{QFile::encodeName(settings_.RecordFolder()).toStdString(),
                         settings_.RecordLimitBytes()};
    const RunInfo run{port, DescribeDevice(DevicePath(port)), std::move(names.file)};
    record_ = std::make_unique<ShownRecord>(
        std::move(where), run, std::move(names.besideLamps), [this](const std::string& trouble) {
            uiQueue_.Post([this, trouble] { host_.ShowRecordTrouble(trouble); });
        });
}

void PortLifecycle::StartReader(std::unique_ptr<ByteSource> port) {
    port_ = std::move(port);
    handOff_ = std::make_unique<HandOff>(
        [queue = &uiQueue_](std::function<void()> task) { queue->Post(std::move(task)); });
    reader_ = std::make_unique<ReaderThread>(
        *port_, kReadTimeout, *handOff_, [this](const Frame& frame, const std::string& statusLine) {
            // Frames a closing window drops never show, and are not recorded either.
            if (record_) record_->FrameShown(frame);
            host_.ShowFrame(frame, statusLine);
        });
}

void PortLifecycle::SilenceShown() {
    if (record_) record_->SilenceShown();
}

void PortLifecycle::KeepRecord() {
    // A disk that fails is told in the indicator's tooltip already.
    if (record_) (void)record_->Flush(std::chrono::seconds(1));
}

void PortLifecycle::Close() {
    closed_ = true;
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
    // 5. With no one left to write to it, the record ends: what was shown is on the disk.
    record_.reset();
}

}  // namespace zorvane
