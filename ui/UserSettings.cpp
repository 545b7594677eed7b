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

// mkdir -p, new folders private to the user as the XDG base directories ask.
bool MakePrivateFolder(const QString& folder) {
    const QFileInfo info(folder);
    if (info.isDir()) return true;
    if (info.path() != folder && !MakePrivateFolder(info.path())) return false;
    return QDir().mkdir(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner) ||
           QFileInfo(folder).isDir();
}

// Anything but a plain file (a folder, a FIFO that would block the read) is left alone.
bool Usable(const QString& file) {
    const QFileInfo info(file);
    return !info.exists() || info.isFile();
}

// What `file` holds under `key`; invalid when nothing usable is there.
QVariant ValueIn(const QString& file, const QString& key) {
    if (!Usable(file)) return {};
    // Lines that do not parse are skipped and the rest is used: one bad line loses no setting.
    return QSettings(file, QSettings::IniFormat).value(key);
}

QString PortIn(const QString& file) {
    const QVariant port = ValueIn(file, kLastPort);
    return port.typeId() == QMetaType::QString ? port.toString() : QString();
}

}  // namespace

QString UserSettings::DefaultFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/zorvane/zorvane.conf");
}

QString UserSettings::DefaultStateFile() {
    return DefaultRecordFolder() + QStringLiteral("/state.ini");
}

UserSettings::UserSettings(QString file, QString stateFile)
    : file_(std::move(file)), stateFile_(std::move(stateFile)) {}

QString UserSettings::LastPort() const {
    const QString remembered = PortIn(stateFile_);
    return remembered.isEmpty() ? PortIn(file_) : remembered;  // as earlier versions kept it
}

bool UserSettings::SetLastPort(const QString& port) {
    if (!Usable(stateFile_) || !MakePrivateFolder(QFileInfo(stateFile_).path())) return false;
    QSettings state(stateFile_, QSettings::IniFormat);
    state.setValue(kLastPort, port);
    state.sync();
    // A format error here is the old content's; the new value is written all the same.
    return state.status() != QSettings::AccessError;
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
    return ValueIn(file_, key);
}

}  // namespace zorvane
