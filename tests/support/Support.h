#pragma once

#include <termios.h>

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "Frame.h"
#include "PtyLine.h"

#include <gtest/gtest.h>

namespace zorvane::test {

// A pseudo-terminal standing in for a serial line: the test keeps the master side (non-blocking),
// the program opens the slave through a COMn link.
class Pty : public bench::PtyLine {
  public:
    Pty();
    // All of `bytes`, waiting while the line is full; false once the far end is gone.
    bool Write(std::span<const std::uint8_t> bytes) const;
    // The slave's settings, through the master, so the test never holds the slave open.
    termios Settings() const;
    void SetTimeouts(cc_t vmin, cc_t vtime) const;
};

#define ZORVANE_REQUIRE_PTY(pty) \
    if (!(pty).Ok()) GTEST_SKIP() << "needs pseudo-terminals: mount devpts so /dev/ptmx works"

// A fresh folder that is the current folder while this lives, so every COMn is a link made here
// and never a /dev/ttyS* device.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string Path() const { return dir_.path().toStdString(); }
    // `name` -> `target`; an existing entry of that name is replaced.
    void Link(const std::string& name, const std::string& target) const;
    void Write(const std::string& name, std::string_view bytes) const;

  private:
    QTemporaryDir dir_;
    QString previous_;
};

// Runs the event loop until `done` holds or `ms` pass; false on time-out.
inline bool WaitUntil(const std::function<bool()>& done, int ms = 5000) {
    return QTest::qWaitFor(done, ms);
}

// The lines of the record's parts in `folder`, oldest first.
std::vector<std::string> RecordLines(const QString& folder);

// A program of the test's, killed with the test even when a time-out kills the test.
class Child : public QProcess {
  public:
    Child();
    // `command` run by the shell in `folder`, which its redirections are relative to.
    Child(const std::string& folder, const std::string& command);
    ~Child() override;
};

// The frames as the line carries them, one after another.
std::vector<std::uint8_t> Wire(std::initializer_list<Frame> frames, int copies = 1);

// Descriptors of process `pid` open on `path`.
int OpenDescriptors(qint64 pid, const std::string& path);

// One of the project's programs, by its name ("zorvane-decode").
QString Program(const char* name);

// A program run to its end; killed after `ms`.
struct Finished {
    int exitCode = -1;  // -1: crashed, killed or never started
    QByteArray out;
    QByteArray err;
};
Finished Run(const QString& program, const QStringList& args, const QByteArray& input = {},
             int ms = 10000);

}  // namespace zorvane::test
