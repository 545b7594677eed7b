#include "LogReplay.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "LogLine.h"
#include "TextOutput.h"

namespace zorvane {

bool LogReplay::Line(std::string_view text, std::string& out) {
    using Kind = LogLine::Kind;
    const auto line = ParseLogLine(text);
    if (!line) return false;
    if (!begun_) timeline_.Begin(line->wall ? line->when : std::string_view());
    begun_ = true;
    Micros at = ByteTime(line->offset);
    if (line->wall) {
        if (!zero_) zero_ = line->wall;
        const auto since =
            std::chrono::duration_cast<std::chrono::microseconds>(*line->wall - *zero_);
        at = Micros(std::max<std::int64_t>(since.count(), 0));
    }
    // A clock set back, or logs put together out of order, must not turn time back.
    last_ = at = std::max(at, last_);
    switch (line->kind) {
        case Kind::Frame:
            timeline_.Frame(at, line->frame, out);
            break;
        case Kind::Event:
            if (line->event == ChangeLog::Event::LinkDown) timeline_.LinkDown(at, out);
            if (line->event == ChangeLog::Event::PortLost) timeline_.Port(at, false, out);
            if (line->event == ChangeLog::Event::PortBack) timeline_.Port(at, true, out);
            break;               // link-up: the frame after it is told
        case Kind::RecordStart:  // the monitor starts: the port is open, no frame yet
            timeline_.Port(at, true, out);
            timeline_.LinkDown(at, out);
            break;
        case Kind::RecordEnd:
            timeline_.LinkDown(at, out);
            timeline_.Port(at, false, out);
            break;
        case Kind::RecordGap:  // the frame after it tells what the lamps show
            break;
    }
    return true;
}

namespace {

// getline(3)'s lines, its buffer freed at the end.
class Lines {
  public:
    explicit Lines(std::FILE* in) : in_(in) {}
    ~Lines() { std::free(buffer_); }
    Lines(const Lines&) = delete;
    Lines& operator=(const Lines&) = delete;
    std::optional<std::string_view> Next() {
        const ssize_t n = getline(&buffer_, &capacity_, in_);
        if (n <= 0) return std::nullopt;
        return std::string_view(buffer_, std::size_t(n));
    }

  private:
    std::FILE* in_;
    char* buffer_ = nullptr;
    std::size_t capacity_ = 0;
};

int Replay(std::FILE* in, const char* name, Timeline& timeline) {
    LogReplay replay(timeline);
    Lines lines(in);
    std::uint64_t read = 0;
    std::uint64_t skipped = 0;
    std::string out;
    while (const auto line = lines.Next()) {
        ++read;
        if (!replay.Line(*line, out)) ++skipped;
        if (out.size() < (1 << 16)) continue;
        if (!WriteOutput(out)) return 1;
        out.clear();
    }
    if (std::ferror(in)) {
        std::fprintf(stderr, "zorvane-decode: cannot read %s: %s\n", name, std::strerror(errno));
        return 1;
    }
    if (read > 0 && skipped == read) {
        std::fprintf(stderr, "zorvane-decode: %s is not a change log\n", name);
        return 1;
    }
    if (skipped > 0)
        std::fprintf(stderr, "zorvane-decode: %s: %llu lines are not a change log's; skipped\n",
                     name, static_cast<unsigned long long>(skipped));
    timeline.End(replay.Last(), out);
    return WriteOutput(out) ? 0 : 1;
}

}  // namespace

int ReadLog(const char* path, Timeline& timeline) {
    if (std::string_view(path) == "-") return Replay(stdin, "standard input", timeline);
    std::FILE* in = std::fopen(path, "r");
    if (!in) {
        std::fprintf(stderr, "zorvane-decode: cannot open %s: %s\n", path, std::strerror(errno));
        return 1;
    }
    const int status = Replay(in, path, timeline);
    std::fclose(in);  // read-only: nothing to lose if closing fails
    return status;
}

}  // namespace zorvane
