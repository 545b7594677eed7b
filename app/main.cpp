// Zorvane: shows the Vorlan's frames as lamps. Only --help and --version.
#include <QApplication>
#include <QIcon>
#include <QMessageBox>
#include <exception>

#include "CommandLine.h"
#include "FormPortHost.h"
#include "PortGlobals.h"
#include "PortLifecycle.h"
#include "PortOpener.h"
#include "TForm1.h"

namespace {

void Run() {
    using namespace zorvane;
    TForm1::Hooks hooks;
    hooks.clearCancelPressed = [] { CancelPressed = false; };
    TForm1 form(hooks);  // FormCreate: names.ini, then Timer1
    FormPortHost host(form);
    SystemPortOpener opener;
    PortLifecycle lifecycle(host, opener);
    form.SetPortProcedure([&lifecycle] { lifecycle.PortProcedure(); });
    form.SetCloseProcedure([&lifecycle] { lifecycle.CloseProcedure(); });
    form.show();
    QApplication::exec();
}

}  // namespace

int main(int argc, char** argv) {
    if (const auto status = zorvane::HandleCommandLine(argc, argv)) return *status;
    QApplication app(argc, argv);
    QApplication::setApplicationName("Zorvane");
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/zorvane.svg")));
    QGuiApplication::setDesktopFileName(QStringLiteral("zorvane"));
    try {
        Run();
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, QApplication::applicationName(),
                              QString::fromLocal8Bit(e.what()));
    }
    return 0;
}
