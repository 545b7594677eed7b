#include "UserSettings.h"

#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace zorvane {

namespace {
const QString kLastPort = QStringLiteral("port/last");
}  // namespace

QString UserSettings::DefaultFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/zorvane/zorvane.conf");
}

UserSettings::UserSettings(QString file) : file_(std::move(file)) {}

QString UserSettings::LastPort() const {
    const QVariant port = Value(kLastPort);
    return port.typeId() == QMetaType::QString ? port.toString() : QString();
}

bool UserSettings::SetLastPort(const QString& port) {
    return SetValue(kLastPort, port);
}

QVariant UserSettings::Value(const QString& key) const {
    if (!Usable()) return {};
    // Lines that do not parse are skipped and the rest is used: one bad line loses no setting.
    return QSettings(file_, QSettings::IniFormat).value(key);
}

bool UserSettings::SetValue(const QString& key, const QVariant& value) {
    if (!Usable()) return false;
    QSettings settings(file_, QSettings::IniFormat);
    settings.setValue(key, value);
    settings.sync();
    // A format error here is the old content's; the new value is written all the same.
    return settings.status() != QSettings::AccessError;
}

bool UserSettings::Usable() const {
    // Anything but a plain file (a folder, a FIFO that would block the read) is left alone.
    const QFileInfo info(file_);
    return !info.exists() || info.isFile();
}

}  // namespace zorvane
