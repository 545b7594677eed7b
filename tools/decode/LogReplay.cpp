#include "LogReplay.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "TextOutput.h"
#include "UniqueFd.h"

namespace zorvane {

namespace {

std::optional<LineHealth> Sum(const std::optional<LineHealth>& a,
                              const std::optional<LineHealth>& b) {
    if (!a || !b) return a ? a : b;
    return *a + *b;
}

}  // namespace

void LogReplay::Line(const LogLine& line, std::string& out) {
    using Kind = LogLine::Kind;
    if (line.kind == Kind::Other) return;  // a later version's: nothing the timeline shows
    if (!begun_) timeline_.Begin(line.wall ? line.when : std::string_view());
    begun_ = true;
    Micros at = ByteTime(line.offset);
    if (line.wall) {
        // In microseconds before subtracting: nanoseconds would overflow across 292 years.
        using std::chrono::microseconds;
        const auto wall = std::chrono::time_point_cast<microseconds>(*line.wall);
        if (!zero_) zero_ = wall;
        at = Micros(std::max<std::int64_t>((wall - *zero_).count(), 0));
    }
    // A clock set back, or logs put together out of order, must not turn time back.
    at = std::max(at, last_);
    switch (line.kind) {
        case Kind::Frame:
            timeline_.Frame(at, line.frame, out);
            break;
        case Kind::Event:
            if (line.event == ChangeLog::Event::LinkDown) timeline_.LinkDown(at, out);
            if (line.event == ChangeLog::Event::PortLost) timeline_.Port(at, false, out);
            if (line.event == ChangeLog::Event::PortBack) timeline_.Port(at, true, out);
            break;  // link-up: the frame after it is told
        case Kind::RecordStart:
            runsBefore_ = Sum(runsBefore_, thisRun_);
            thisRun_.reset();
            // A run that never wrote its end stopped after its last line.
            if (running_) timeline_.LinkDown(last_, out);
            if (running_) timeline_.Port(last_, false, out);
            running_ = true;
            timeline_.Port(at, true, out);  // the monitor starts: port open, no frame yet
            timeline_.LinkDown(at, out);
            break;
        case Kind::RecordEnd:
            running_ = false;
            timeline_.LinkDown(at, out);
            timeline_.Port(at, false, out);
            break;
        case Kind::RecordGap:  // the frame after it tells what the lamps show
            timeline_.Gap(at, out);
            break;
        case Kind::Health:  // a count, not a signal: told to the statistics alone
            thisRun_ = line.health;
            timeline_.Health(*Sum(runsBefore_, thisRun_));
            break;
        case Kind::Other:
            break;
    }
    last_ = at;
}

namespace {

// What one log gave.
struct LogCount {
    std::uint64_t read = 0;
    std::uint64_t broken = 0;
    std::uint64_t firstBroken = 0;  // its line number
};

class LogReader {
  public:
    LogReader(Timeline& timeline, const std::optional<std::string>& names)
        : timeline_(timeline), replay_(timeline), names_(names) {}

    // The exit status so far.
    int Read(const std::string& name, TextLines& lines, LogCount& count);
    int Finish();

  private:
    int Line(const std::string& name, std::uint64_t number, std::string_view text, bool ended,
             LogCount& count);
    static void Broken(std::uint64_t number, LogCount& count) {
        if (count.broken++ == 0) count.firstBroken = number;
    }
    void NoteRun(const std::string& name, std::uint64_t number, const RunInfo& run);

    Timeline& timeline_;
    LogReplay replay_;
    const std::optional<std::string>& names_;
    bool otherNamesTold_ = false;
    std::string out_;
};

int LogReader::Read(const std::string& name, TextLines& lines, LogCount& count) {
    for (std::uint64_t number = 1;; ++number) {
        const auto next = lines.Next();
        if (!next) break;
        if (const int status = Line(name, number, next->text, next->ended, count)) return status;
    }
    if (lines.Error() == 0) return 0;
    std::fprintf(stderr, "zorvane-decode: cannot read %s: %s\n", name.c_str(),
                 std::strerror(lines.Error()));
    return 1;
}

int LogReader::Line(const std::string& name, std::uint64_t number, std::string_view text,
                    bool ended, LogCount& count) {
    // A line cut off and run together with the next: that one is still whole.
    if (const std::size_t inside = NextLineInside(text); inside != std::string_view::npos) {
        Broken(number, count);
        return Line(name, number, text.substr(inside), ended, count);
    }
    LogLine line;
    const LogLineRead read = ended ? ParseLogLine(text, line) : LogLineRead::Broken;
    if (read == LogLineRead::FarTime) {
        std::fprintf(stderr,
                     "zorvane-decode: %s: line %llu: %s is out of the range of times this tool "
                     "can hold (the years 1678 to 2262, byte offsets up to 1.6e12)\n",
                     name.c_str(), static_cast<unsigned long long>(number),
                     std::string(line.when).c_str());
        return 1;
    }
    if (read == LogLineRead::Broken) {
        Broken(number, count);
        return 0;
    }
    ++count.read;
    if (line.kind == LogLine::Kind::RecordStart) NoteRun(name, number, line.run);
    replay_.Line(line, out_);
    if (out_.size() < (1 << 16)) return 0;
    const bool written = WriteOutput(out_);
    out_.clear();
    return written ? 0 : 1;
}

// The lamps keep one set of names; a run that showed others is worth a word, once.
void LogReader::NoteRun(const std::string& name, std::uint64_t number, const RunInfo& run) {
    if (!names_ || otherNamesTold_ || run.names == *names_) return;
    otherNamesTold_ = true;
    std::fprintf(stderr,
                 "zorvane-decode: %s: line %llu: this run read its names from \"%s\"; the lamps "
                 "keep those of \"%s\" (--names FILE chooses)\n",
                 name.c_str(), static_cast<unsigned long long>(number), run.names.c_str(),
                 names_->c_str());
}

int LogReader::Finish() {
    timeline_.End(replay_.Last(), out_);
    return WriteOutput(out_) ? 0 : 1;
}

std::string Name(const LogFile& log) {
    return log.path == "-" ? "standard input" : log.path;
}

void TellBroken(const std::string& name, const LogCount& count) {
    if (count.broken == 0) return;
    const auto first = static_cast<unsigned long long>(count.firstBroken);
    if (count.broken == 1)
        std::fprintf(stderr, "zorvane-decode: %s: line %llu cannot be read; passed over\n",
                     name.c_str(), first);
    else
        std::fprintf(stderr,
                     "zorvane-decode: %s: %llu lines cannot be read, the first is line %llu; "
                     "passed over\n",
                     name.c_str(), static_cast<unsigned long long>(count.broken), first);
}

}  // namespace

int ReadLogs(const std::vector<LogFile>& logs, TextLines& input, Timeline& timeline,
             const std::optional<std::string>& names, const std::string& given) {
    LogReader reader(timeline, names);
    std::vector<LogCount> counts(logs.size());
    std::uint64_t read = 0;
    for (std::size_t i = 0; i < logs.size(); ++i) {
        const bool standard = logs[i].path == "-";
        const UniqueFd fd(standard ? -1 : ::open(logs[i].path.c_str(), O_RDONLY | O_CLOEXEC));
        if (!standard && !fd.Valid()) {
            std::fprintf(stderr, "zorvane-decode: cannot open %s: %s\n", logs[i].path.c_str(),
                         std::strerror(errno));
            return 1;
        }
        std::optional<TextLines> file;
        TextLines& lines = standard ? input : file.emplace(fd.Get());
        if (const int status = reader.Read(Name(logs[i]), lines, counts[i])) return status;
        read += counts[i].read;
    }
    if (read == 0) {
        if (logs.size() == 1)
            std::fprintf(stderr, "zorvane-decode: %s is not a change log\n", Name(logs[0]).c_str());
        else
            std::fprintf(stderr, "zorvane-decode: no change log in %s\n", given.c_str());
        return 1;
    }
    for (std::size_t i = 0; i < logs.size(); ++i)
        TellBroken(Name(logs[i]), counts[i]);
    return reader.Finish();
}

}  // namespace zorvane
