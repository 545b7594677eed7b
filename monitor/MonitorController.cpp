#include "MonitorController.h"

#include <QCoreApplication>
#include <QFile>
#include <QMessageBox>
#include <QPointer>

#include "LineSettings.h"
#include "PortName.h"

namespace zorvane {

namespace {

// What failed, in the question's words.
QString Question(PortError kind) {
    switch (kind) {
        case PortError::NotFound:
            return QStringLiteral("Tento port neexistuje, chcete vybrat jiný");
        case PortError::NoPermission:
            return QStringLiteral("K tomuto portu nemáte přístup, chcete vybrat jiný");
        case PortError::Busy:
            return QStringLiteral("Tento port používá jiný program, chcete vybrat jiný");
        case PortError::NotSerial:
            return QStringLiteral("Toto není sériový port, chcete vybrat jiný");
        case PortError::Console:
            return QStringLiteral("Tento port je systémová konzole, chcete vybrat jiný");
        case PortError::Gone:
            return QStringLiteral("Tento port neodpovídá, chcete vybrat jiný");
        case PortError::Other:
            break;
    }
    return QStringLiteral("Tento port nelze otevřít, chcete vybrat jiný");
}

// Detail below the question: which device, and what the system said about it.
bool AnotherPortWanted(QWidget* parent, const OpenError& error) {
    QPointer<QMessageBox> box =
        new QMessageBox(QMessageBox::Question, QString(), Question(error.kind),
                        QMessageBox::Yes | QMessageBox::No, parent);
    box->setDefaultButton(QMessageBox::Yes);
    box->setInformativeText(QString::fromStdString(error.CzechReason()));
    const bool yes = box->exec() == QMessageBox::Yes;
    delete box;
    return yes;
}

}  // namespace

void MonitorController::QuitApplication() {
    QCoreApplication::exit(0);
}

MonitorController::MonitorController(MonitorView& view, PortOpener& opener,
                                     EndApplication endApplication, DeviceCatalogue catalogue,
                                     UserSettings settings)
    : view_(view),
      opener_(opener),
      endApplication_(std::move(endApplication)),
      catalogue_(std::move(catalogue)),
      settings_(std::move(settings)) {}

MonitorController::~MonitorController() {
    Close();
}

void MonitorController::ChooseAndOpenPort() {
    // A run opens a port once; there is no changing it while open, nor opening it once closed.
    if (port_ || closed_) return;
    const std::optional<PortChoice> choice = Choose();
    if (closed_) return;  // closed while the dialog was open (a signal): the program is ending
    if (!choice) {
        endApplication_();
        return;
    }
    PortOpenResult opened = opener_.Open(
        choice->port, [this](ReconnectingPort::Change change, const std::string& device) {
            // On the reader thread, inside a read: the line hears it in its place among the
            // bytes, and the window with them.
            if (change == ReconnectingPort::Change::Back) return line_.PortBack(Moment::Now());
            lostDevice_ = device;
            line_.PortLost(Moment::Now());
        });
    if (!opened.port) {
        OfferAnotherPort(opened.error);
        return;
    }
    // Remembering is a convenience: a file that cannot be written stops nothing.
    (void)settings_.SetLastPort(QString::fromStdString(choice->port));
    view_.ShowOpenPort(choice->title);
    StartRecord(choice->port);
    StartReader(std::move(opened.port));
}

std::optional<PortChoice> MonitorController::Choose() {
    if (!startPort_.empty()) {
        preselect_ = startPort_;  // offered first should it fail
        return ChoiceOf(std::exchange(startPort_, {}), catalogue_);
    }
    if (preselect_.empty()) preselect_ = settings_.LastPort().toStdString();
    return PortDialog::Choose(view_.DialogParent(), catalogue_, preselect_);
}

void MonitorController::OfferAnotherPort(const OpenError& error) {
    if (AnotherPortWanted(view_.DialogParent(), error)) {
        view_.ChooseAnotherPortLater();
    } else {
        endApplication_();
    }
}

void MonitorController::StartRecord(const std::string& port) {
    if (!settings_.RecordOn()) return;
    MonitorView::ShownNames names = view_.NamesShown();
    const QString folder = settings_.RecordFolder();
    RecordSettings where{QFile::encodeName(folder).toStdString(), settings_.RecordLimitBytes()};
    where.ownFolder = folder == UserSettings::DefaultRecordFolder();
    const RunInfo run{port, DescribeDevice(DevicePath(port)), std::move(names.file)};
    record_ = std::make_unique<ShownRecord>(
        std::move(where), run, std::move(names.besideLamps), [this](const std::string& trouble) {
            uiQueue_.Post([this, trouble] { view_.ShowRecordTrouble(trouble); });
        });
}

void MonitorController::StartReader(std::unique_ptr<ByteSource> port) {
    port_ = std::move(port);
    line_.Start(Moment::Now());
    handOff_ = std::make_unique<HandOff>(
        [queue = &uiQueue_](std::function<void()> task) { queue->Post(std::move(task)); });
    reader_ = std::make_unique<ReaderThread>(
        *port_, kReadTimeout, line_, *handOff_, [this](const LineEvent& event) { Show(event); },
        [this](const LineHealth& health) {
            if (record_) record_->HealthNow(health);
            view_.ShowLineHealth(health);
        });
}

// Events a closing window drops never show, and are not recorded either.
void MonitorController::Show(const LineEvent& event) {
    if (record_) record_->Shown(event);
    switch (event.kind) {
        case LineEvent::Kind::Frame:
            return view_.ShowFrame(event);
        case LineEvent::Kind::LinkDown:
            return view_.ShowLinkDown();
        case LineEvent::Kind::PortLost:
            return view_.ShowPortWaiting(lostDevice_);
        case LineEvent::Kind::PortBack:
            return view_.ShowPortWaiting({});
        case LineEvent::Kind::LinkUp:  // the frame that follows shows it
            return;
    }
}

std::optional<std::chrono::steady_clock::time_point> MonitorController::LatestFrameTime() const {
    if (!reader_) return std::nullopt;
    return reader_->LatestFrameTime();
}

void MonitorController::KeepRecord() {
    // A disk that fails is told in the indicator's tooltip already.
    if (record_) (void)record_->Flush(std::chrono::seconds(1));
}

void MonitorController::Close() {
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
    // 4. The line's health as it ends, for the record; then the port's settings restored and
    //    the port closed.
    if (port_) line_.DriverErrors(port_->ErrorCounts());
    if (record_ && port_) record_->HealthNow(line_.Health(), /*last=*/true);
    port_.reset();
    // 5. With no one left to write to it, the record ends: what was shown is on the disk.
    record_.reset();
}

}  // namespace zorvane
