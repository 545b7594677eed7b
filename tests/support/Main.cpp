// Every test program runs with an application object, offscreen unless told otherwise, and with
// a home and XDG folders of its own, so nothing it or its children do lands in a user's settings
// or record.
#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    if (!home.isValid()) return 1;
    for (const auto& [name, sub] : {std::pair{"HOME", ""},
                                    {"XDG_CONFIG_HOME", "/.config"},
                                    {"XDG_STATE_HOME", "/.local/state"},
                                    {"XDG_DATA_HOME", "/.local/share"},
                                    {"XDG_CACHE_HOME", "/.cache"}})
        qputenv(name, (home.path() + QLatin1String(sub)).toLocal8Bit());
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);  // tests close windows and go on
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
