#include "PortLifecycle.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPointer>

#include "PortGlobals.h"
#include "PortName.h"
#include "TOKRightDlg.h"

namespace zorvane {

namespace {

// A new dialog every time, so it starts again at COM1. Its modal result is not consulted.
void ChoosePort(QWidget* parent) {
    // Guarded: the parent could take a dialog that is still open with it.
    QPointer<TOKRightDlg> dialog = new TOKRightDlg(parent);
    dialog->exec();
    delete dialog;
}

// Detail below the question: which device, and what the system said about it.
bool AnotherPortWanted(QWidget* parent, const OpenError& error) {
    QPointer<QMessageBox> box =
        new QMessageBox(QMessageBox::Question, QString(),
                        QStringLiteral("Tento port neexistuje, chcete vybrat jiný"),
                        QMessageBox::Yes | QMessageBox::No, parent);
    box->setDefaultButton(QMessageBox::Yes);
    box->setInformativeText(QString::fromStdString(error.Reason()));
    const bool yes = box->exec() == QMessageBox::Yes;
    delete box;
    return yes;
}

}  // namespace

void PortLifecycle::QuitApplication() {
    QCoreApplication::exit(0);
}

PortLifecycle::PortLifecycle(PortHost& host, PortOpener& opener, EndApplication endApplication)
    : host_(host), opener_(opener), endApplication_(std::move(endApplication)) {}

PortLifecycle::~PortLifecycle() {
    CloseProcedure();
}

void PortLifecycle::PortProcedure() {
    if (port_) return;  // a run opens a port once; there is no changing it while open
    host_.SetPortSelectPending(false);
    ChoosePort(host_.DialogParent());
    if (CancelPressed) {
        endApplication_();
        return;
    }
    PortOpenResult opened = opener_.Open(PortName(PortChoice));
    if (!opened.port) {
        OfferAnotherPort(opened.error);
        return;
    }
    StartReader(std::move(opened.port));
    host_.SetPortSelectPending(false);
}

void PortLifecycle::OfferAnotherPort(const OpenError& error) {
    if (!AnotherPortWanted(host_.DialogParent(), error)) {
        endApplication_();
        return;
    }
    // The next tick, a timer interval from now, shows a fresh dialog.
    host_.SetPortSelectPending(true);
    host_.RestartTimer1();
}

void PortLifecycle::StartReader(std::unique_ptr<ByteSource> port) {
    port_ = std::move(port);
    handOff_ = std::make_unique<HandOff>(
        [queue = &uiQueue_](std::function<void()> task) { queue->Post(std::move(task)); });
    reader_ = std::make_unique<TRead>(*port_, *handOff_,
                                      [this](const TRead& reader) { host_.ShowFrame(reader); });
}

void PortLifecycle::CloseProcedure() {
    if (reader_) {
        // 1. Stop request: noticed after the current read (at most one time-out) or hand-off.
        reader_->Terminate();
        // 2. Releases a reader waiting for this thread; frames still queued never show.
        handOff_->Cancel();
        // 3. Wait for the loop to end, then join. The join follows even past the grace period:
        //    the port must never be closed under a read that is still running.
        reader_->WaitFor(kReaderGrace);
        reader_.reset();
    }
    // 4. Restore the saved time-outs and close.
    port_.reset();
}

}  // namespace zorvane
