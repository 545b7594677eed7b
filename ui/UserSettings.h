#pragma once

#include <QString>
#include <QVariant>
#include <cstdint>

namespace zorvane {

// The user's settings, $XDG_CONFIG_HOME/zorvane/zorvane.conf (INI), which the program only
// reads, and what it remembers by itself, $XDG_STATE_HOME/zorvane/state.ini. Every value has a
// default, which stands when the file is missing or unreadable, or the value is garbled or of
// the wrong kind; a state file that cannot be written loses the change and nothing else. A new
// setting is a getter over Value() with a key of its own ("group/name").
class UserSettings {
  public:
    static QString DefaultFile();
    static QString DefaultStateFile();
    explicit UserSettings(QString file = DefaultFile(), QString stateFile = DefaultStateFile());

    // The port opened last: "COM3", or a found device's stable path; empty when none. The state
    // file's, else what the settings file of an earlier version keeps under [port] last.
    QString LastPort() const;
    // Into the state file; false when it could not be saved.
    bool SetLastPort(const QString& port);

    // The record of what the window shows ([record] in the file; the user edits these, the
    // program only reads them): on unless "enabled=false" (or no, off, 0); its folder, an absolute
    // path, by default $XDG_STATE_HOME/zorvane; all its files together at most "limit_mb" megabytes
    // (10^6 bytes, default 200).
    static QString DefaultRecordFolder();
    bool RecordOn() const;
    QString RecordFolder() const;
    std::uint64_t RecordLimitBytes() const;

  private:
    // What the settings file holds under `key`; invalid when nothing usable is there.
    QVariant Value(const QString& key) const;

    QString file_;
    QString stateFile_;
};

}  // namespace zorvane
