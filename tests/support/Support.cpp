#include "Support.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <cerrno>
#include <csignal>
#include <filesystem>

namespace zorvane::test {

Pty::Pty() {
    // Write() waits for room itself, with poll().
    if (Ok() && ::fcntl(Master(), F_SETFL, ::fcntl(Master(), F_GETFL) | O_NONBLOCK) != 0)
        CloseMaster();
}

bool Pty::Write(std::span<const std::uint8_t> bytes) const {
    while (!bytes.empty()) {
        const ssize_t n = ::write(Master(), bytes.data(), bytes.size());
        if (n > 0) {
            bytes = bytes.subspan(static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
        pollfd p{Master(), POLLOUT, 0};
        ::poll(&p, 1, 10);  // the line is full until the program reads; a time-out just retries
    }
    return true;
}

termios Pty::Settings() const {
    termios tio{};
    EXPECT_EQ(::tcgetattr(Master(), &tio), 0);
    return tio;
}

void Pty::SetTimeouts(cc_t vmin, cc_t vtime) const {
    termios tio = Settings();
    tio.c_cc[VMIN] = vmin;
    tio.c_cc[VTIME] = vtime;
    EXPECT_EQ(::tcsetattr(Master(), TCSANOW, &tio), 0);
}

TempFolder::TempFolder() : previous_(QDir::currentPath()) {
    // Going on elsewhere would let COM1 mean /dev/ttyS0, the machine's console.
    if (!dir_.isValid() || !QDir::setCurrent(dir_.path())) std::abort();
}

TempFolder::~TempFolder() {
    QDir::setCurrent(previous_);
}

void TempFolder::Link(const std::string& name, const std::string& target) const {
    const std::filesystem::path path = Path() + "/" + name;
    std::filesystem::remove(path);
    std::filesystem::create_symlink(target, path);
}

void TempFolder::Write(const std::string& name, std::string_view bytes) const {
    QFile file(QString::fromStdString(Path() + "/" + name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes.data(), static_cast<qint64>(bytes.size())),
              static_cast<qint64>(bytes.size()));
}

std::vector<std::string> RecordLines(const QString& folder) {
    std::vector<std::string> lines;
    // Parts are named after their first line's time, so the name order is the time order.
    for (const QFileInfo& part : QDir(folder).entryInfoList({"*.log"}, QDir::Files, QDir::Name)) {
        QFile file(part.filePath());
        if (!file.open(QIODevice::ReadOnly))
            continue;  // then the lines are missing: the test says so
        for (const QByteArray& line : file.readAll().split('\n'))
            if (!line.isEmpty()) lines.push_back(line.toStdString());
    }
    return lines;
}

Child::Child() {
    setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
}

Child::Child(const std::string& folder, const std::string& command) : Child() {
    setWorkingDirectory(QString::fromStdString(folder));
    start("/bin/sh", {"-c", QString::fromStdString("exec " + command)});
    waitForStarted();
}

Child::~Child() {
    kill();
    waitForFinished();
}

std::vector<std::uint8_t> Wire(std::initializer_list<Frame> frames, int copies) {
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < copies; ++i)
        for (const Frame& frame : frames) {
            const WireBytes wire = EncodeFrame(frame);
            bytes.insert(bytes.end(), wire.begin(), wire.end());
        }
    return bytes;
}

int OpenDescriptors(qint64 pid, const std::string& path) {
    int count = 0;
    std::error_code ignored;  // a descriptor closed meanwhile is simply not counted
    for (const auto& fd :
         std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd", ignored))
        count += std::filesystem::read_symlink(fd.path(), ignored) == path;
    return count;
}

QString Program(const char* name) {
    return QStringLiteral(ZORVANE_BIN_DIR "/") + QString::fromLatin1(name);
}

Finished Run(const QString& program, const QStringList& args, const QByteArray& input, int ms) {
    QProcess process;
    process.start(program, args);
    Finished result;
    if (!process.waitForStarted(ms)) return result;
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(ms)) {
        process.kill();
        process.waitForFinished();
    }
    if (process.exitStatus() == QProcess::NormalExit) result.exitCode = process.exitCode();
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

}  // namespace zorvane::test
