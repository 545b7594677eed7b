#include "TimelineRun.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string_view>

#include "LampStats.h"
#include "LiveTimeline.h"
#include "LogReplay.h"
#include "TextOutput.h"
#include "VcdWriter.h"

namespace zorvane {

namespace {

int FromDevice(const char* path, Timeline& timeline, ChangeLog* changes) {
    std::optional<LiveChanges> lines;
    if (changes) lines.emplace(*changes);
    LiveTimeline sink(timeline, lines ? &*lines : nullptr, Moment::Now());
    if (const int status = DecodeDevice(path, sink); status != 0) return status;
    std::string out;
    sink.End(Moment::Now(), out);
    return WriteOutput(out) ? 0 : 1;
}

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

int ReplayLog(std::FILE* in, const char* name, Timeline& timeline) {
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

int FromLog(const char* path, Timeline& timeline) {
    if (std::string_view(path) == "-") return ReplayLog(stdin, "standard input", timeline);
    std::FILE* in = std::fopen(path, "r");
    if (!in) {
        std::fprintf(stderr, "zorvane-decode: cannot open %s: %s\n", path, std::strerror(errno));
        return 1;
    }
    const int status = ReplayLog(in, path, timeline);
    std::fclose(in);  // read-only: nothing to lose if closing fails
    return status;
}

int FromCapture(Timeline& timeline, ChangeLog* changes,
                const std::function<int(StreamDecoder&)>& decodeCapture) {
    StreamDecoder decoder(timeline, changes);
    if (const int status = decodeCapture(decoder); status != 0) return status;
    std::string out;
    timeline.End(ByteTime(decoder.Bytes()), out);
    return WriteOutput(out) ? 0 : 1;
}

// Standard output becomes the dump's file; the statistics go where it went before.
std::FILE* OpenDump(const char* path, bool keepOutput) {
    std::FILE* before = stdout;
    if (keepOutput) {
        const int saved = dup(STDOUT_FILENO);
        before = saved >= 0 ? fdopen(saved, "w") : nullptr;
    }
    if (before && std::freopen(path, "w", stdout)) return before;
    std::fprintf(stderr, "zorvane-decode: cannot write %s: %s\n", path, std::strerror(errno));
    return nullptr;
}

}  // namespace

int RunTimeline(const TimelineOptions& opt, const LampCaptions& captions, ChangeLog* changes,
                const std::function<int(StreamDecoder&)>& decodeCapture) {
    std::FILE* report = stdout;
    if (opt.vcd && std::string_view(opt.vcd) != "-" && !(report = OpenDump(opt.vcd, opt.stats)))
        return 1;
    std::optional<VcdWriter> vcd;
    std::optional<LampStats> stats;
    std::optional<TimelinePair> both;
    if (opt.vcd) vcd.emplace(captions);
    if (opt.stats) stats.emplace(captions);
    if (vcd && stats) both.emplace(*vcd, *stats);
    Timeline& timeline = both  ? static_cast<Timeline&>(*both)
                         : vcd ? static_cast<Timeline&>(*vcd)
                               : static_cast<Timeline&>(*stats);
    int status = opt.device    ? FromDevice(opt.device, timeline, changes)
                 : opt.fromLog ? FromLog(opt.fromLog, timeline)
                               : FromCapture(timeline, changes, decodeCapture);
    if (status != 0 || !stats) return status;
    return WriteOutput(stats->Report(), report) ? 0 : 1;
}

}  // namespace zorvane
