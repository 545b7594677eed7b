// Zorvane: shows the Vorlan's frames as lamps.
#include <QApplication>
#include <QIcon>
#include <QMessageBox>
#include <exception>

#include "CommandLine.h"
#include "Monitor.h"
#include "StopSignals.h"
#include "ToolkitTranslation.h"

namespace {

using namespace zorvane;

int Run() {
    // Stopped by a signal, the program closes as by the title bar: the close procedure runs and
    // the record ends. An open dialog or message box ends too, even one shown while the window
    // is still being made.
    Monitor* running = nullptr;
    const StopSignals stopSignals([&running] {
        if (running) running->Window().close();
        QCoreApplication::exit(0);
    });
    Monitor monitor;  // names.ini first, then the watchdog's first tick opens the port dialog
    if (stopSignals.Requested()) return 0;
    running = &monitor;
    monitor.Window().show();
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
