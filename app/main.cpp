// Zorvane: shows the Vorlan's frames as lamps.
#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QMessageBox>
#include <exception>
#include <optional>

#include "CommandLine.h"
#include "DisplayCheck.h"
#include "Monitor.h"
#include "StopSignals.h"
#include "ToolkitTranslation.h"

namespace {

using namespace zorvane;

int Run(const MonitorArguments& arguments) {
    // Stopped by a signal, the program closes as by the title bar: the close procedure runs and
    // the record ends. An open dialog or message box ends too, even one shown while the window
    // is still being made.
    Monitor* running = nullptr;
    const StopSignals stopSignals([&running] {
        if (running) running->Window().close();
        QCoreApplication::exit(0);
    });
    Monitor::Options options;
    options.namesFile = QFile::decodeName(arguments.namesFile.c_str());
    options.port = arguments.port;
    // The names first, then the watchdog's first tick opens the port or the port dialog.
    Monitor monitor(std::move(options));
    if (stopSignals.Requested()) return 0;
    running = &monitor;
    monitor.Window().show();
    return QApplication::exec();
}

}  // namespace

int main(int argc, char** argv) {
    using namespace zorvane;
    MonitorArguments arguments;
    if (const auto status = HandleCommandLine(argc, argv, arguments)) return *status;
    if (const auto status = RefuseWithoutDisplay()) return *status;
    std::optional<DisplayFailureGuard> displayFailure(std::in_place);
    QApplication app(argc, argv);
    displayFailure.reset();
    QApplication::setApplicationName("Zorvane");
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/zorvane.svg")));
    QGuiApplication::setDesktopFileName(QStringLiteral("zorvane"));
    InstallToolkitTranslation(app);
    try {
        return Run(arguments);
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, QApplication::applicationName(),
                              QString::fromLocal8Bit(e.what()));
        return 1;
    }
}
