// Zorvane: shows the Vorlan's frames as lamps. Only --help and --version.
#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QMessageBox>
#include <exception>

#include "CommandLine.h"
#include "MainWindow.h"
#include "PortHost.h"
#include "PortLifecycle.h"
#include "PortOpener.h"
#include "StopSignals.h"
#include "ToolkitTranslation.h"

namespace {

using namespace zorvane;

// Lets the port lifecycle reach the main window without link/ knowing about display/.
class WindowPortHost final : public PortHost {
  public:
    explicit WindowPortHost(MainWindow& window) : window_(window) {}
    void ShowFrame(const Frame& frame, const std::string& statusLine) override {
        window_.ShowFrame(frame, statusLine);
    }
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

int Run() {
    MainWindow window;  // names.ini first, then the watchdog's first tick opens the port dialog
    WindowPortHost host(window);
    SystemPortOpener opener;
    PortLifecycle lifecycle(host, opener);
    window.SetPortProcedure([&lifecycle] { lifecycle.ChooseAndOpenPort(); });
    window.SetCloseProcedure([&lifecycle] { lifecycle.Close(); });
    window.SetSilenceProcedure([&lifecycle] { lifecycle.SilenceShown(); });
    // A logout may end the program without a close: what the window showed goes on the disk.
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, &window,
                     [&lifecycle] { lifecycle.KeepRecord(); });
    // Stopped by a signal, the program closes as by the title bar: the close procedure runs and
    // the record ends. An open dialog ends too.
    const StopSignals stopSignals([&window] {
        window.close();
        QCoreApplication::exit(0);
    });
    window.show();
    return QApplication::exec();
}

}  // namespace

int main(int argc, char** argv) {
    if (const auto status = zorvane::HandleCommandLine(argc, argv)) return *status;
    QApplication app(argc, argv);
    QApplication::setApplicationName("Zorvane");
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/zorvane.svg")));
    QGuiApplication::setDesktopFileName(QStringLiteral("zorvane"));
    InstallToolkitTranslation(app);
    try {
        return Run();
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, QApplication::applicationName(),
                              QString::fromLocal8Bit(e.what()));
        return 1;
    }
}
