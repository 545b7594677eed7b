#include "UserSettings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace zorvane {

namespace {
const QString kLastPort = QStringLiteral("port/last");
const QString kRecordOn = QStringLiteral("record/enabled");
const QString kRecordFolder = QStringLiteral("record/folder");
const QString kRecordLimit = QStringLiteral("record/limit_mb");
constexpr std::uint64_t kDefaultRecordLimitMb = 200;
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

QString UserSettings::DefaultRecordFolder() {
    // Qt has no state location: the XDG rule, where a relative path counts as unset.
    const QString state = qEnvironmentVariable("XDG_STATE_HOME");
    const QString base = QDir::isAbsolutePath(state) ? state : QDir::homePath() + "/.local/state";
    return QDir::cleanPath(base + "/zorvane");
}

bool UserSettings::RecordOn() const {
    static const QStringList kOff = {"false", "no", "off", "0"};
    return !kOff.contains(Value(kRecordOn).toString().trimmed().toLower());
}

QString UserSettings::RecordFolder() const {
    const QVariant folder = Value(kRecordFolder);
    if (folder.typeId() == QMetaType::QString && QDir::isAbsolutePath(folder.toString()))
        return QDir::cleanPath(folder.toString());
    return DefaultRecordFolder();
}

std::uint64_t UserSettings::RecordLimitBytes() const {
    bool number = false;
    const qulonglong megabytes = Value(kRecordLimit).toString().toULongLong(&number);
    // Up to a million terabytes; anything else is a slip of the keyboard.
    const bool usable = number && megabytes > 0 && megabytes <= 1'000'000'000'000ULL;
    return (usable ? megabytes : kDefaultRecordLimitMb) * 1'000'000;
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
