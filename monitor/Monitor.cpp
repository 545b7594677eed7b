#include "Monitor.h"

#include <QFile>
#include <QGuiApplication>

namespace zorvane {

// The main window as the controller sees it.
class Monitor::WindowView final : public MonitorView {
  public:
    explicit WindowView(MainWindow& window) : window_(window) {}
    void ShowFrame(const LineEvent& frame) override { window_.ShowFrame(frame); }
    void ShowLinkDown() override { window_.ShowLinkDown(); }
    void ShowLineHealth(const LineHealth& health) override { window_.ShowLineHealth(health); }
    void ShowPortWaiting(const std::string& device) override {
        window_.ShowPortWaiting(QString::fromStdString(device));
    }
    void ShowOpenPort(const std::string& name) override {
        window_.ShowOpenPort(QString::fromStdString(name));
    }
    void ChooseAnotherPortLater() override { window_.ChooseAnotherPortLater(); }
    QWidget* DialogParent() override { return &window_; }
    void ShowRecordTrouble(const std::string& trouble) override {
        window_.ShowRecordTrouble(QString::fromStdString(trouble));
    }
    ShownNames NamesShown() const override {
        const auto& names = window_.Names();
        return {QFile::encodeName(window_.NamesFile()).toStdString(),
                names ? CaptionsBesideLamps(*names) : LampCaptions{}};
    }

  private:
    MainWindow& window_;
};

PortOpenResult Monitor::Opener::Open(const std::string& portName,
                                     ReconnectingPort::Listener listener) {
    PortOpenResult opened = system_.Open(portName, std::move(listener));
    if (opened.port && wrap_) opened.port = wrap_(std::move(opened.port));
    return opened;
}

Monitor::Monitor() : Monitor(Options{}) {}

Monitor::Monitor(Options options)
    : window_(std::move(options.showMessage), options.namesFile),
      windowView_(std::make_unique<WindowView>(window_)),
      wrappedView_(options.wrapView ? options.wrapView(*windowView_) : nullptr),
      opener_(std::move(options.wrapPort)),
      controller_(wrappedView_ ? *wrappedView_ : *windowView_, opener_,
                  std::move(options.endApplication)) {
    controller_.OpenAtStart(std::move(options.port));
    window_.SetPortProcedure([this] { controller_.ChooseAndOpenPort(); });
    window_.SetCloseProcedure([this] { controller_.Close(); });
    window_.SetLatestFrameProbe([this] { return controller_.LatestFrameTime(); });
    // A logout may end the program without a close: what the window showed goes on the disk.
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, &window_,
                     [this] { controller_.KeepRecord(); });
}

}  // namespace zorvane
