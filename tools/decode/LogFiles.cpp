#include "LogFiles.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>

#include "RecordParts.h"
#include "UniqueFd.h"

namespace zorvane {

namespace fs = std::filesystem;
using Clock = std::chrono::system_clock;

namespace {

bool CannotRead(const std::string& path, int error) {
    std::fprintf(stderr, "zorvane-decode: cannot read %s: %s\n", path.c_str(),
                 std::strerror(error));
    return false;
}

// The record's files in `folder`, by name, which is their time order.
bool ListFolder(const std::string& folder, std::vector<std::string>& files) {
    std::error_code error;
    std::vector<std::string> found;
    for (fs::directory_iterator i(folder, error), end; !error && i != end; i.increment(error)) {
        std::error_code gone;  // a part the record deleted meanwhile is no longer there to read
        if (RecordParts::IsRecordFileName(i->path().filename().string()) &&
            i->symlink_status(gone).type() == fs::file_type::regular)
            found.push_back(i->path().string());
    }
    if (error) return CannotRead(folder, error.value());
    std::sort(found.begin(), found.end());
    files.insert(files.end(), found.begin(), found.end());
    return true;
}

// The time of the first of its first lines that has one; nothing for a log of byte offsets.
std::optional<Clock::time_point> FirstTime(const std::string& path) {
    const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY));
    if (!fd.Valid()) return std::nullopt;  // the reading says why
    TextLines lines(fd.Get());
    LogLine line;
    for (int n = 0; n < 100; ++n) {
        const auto next = lines.Next();
        if (!next) break;
        if (ParseLogLine(next->text, line) == LogLineRead::Read && line.wall) return line.wall;
    }
    return std::nullopt;
}

}  // namespace

bool FindLogs(const std::vector<std::string>& paths, std::vector<LogFile>& logs) {
    std::vector<std::string> files;
    for (const std::string& path : paths) {
        struct stat st {};
        if (path != "-" && ::stat(path.c_str(), &st) != 0) return CannotRead(path, errno);
        if (path != "-" && S_ISDIR(st.st_mode)) {
            if (!ListFolder(path, files)) return false;
        } else {
            files.push_back(path);
        }
    }
    std::set<std::pair<dev_t, ino_t>> seen;
    for (const std::string& file : files) {
        struct stat st {};
        const bool known = file != "-" && ::stat(file.c_str(), &st) == 0;
        if (known && !seen.insert({st.st_dev, st.st_ino}).second) continue;  // named twice
        logs.push_back({file, file == "-" ? std::nullopt : FirstTime(file)});
    }
    // Logs without a time first, as given; the rest by their first times.
    std::stable_sort(logs.begin(), logs.end(), [](const LogFile& a, const LogFile& b) {
        return a.first.value_or(Clock::time_point::min()) <
               b.first.value_or(Clock::time_point::min());
    });
    return true;
}

std::optional<RunInfo> FirstRun(const std::vector<LogFile>& logs, TextLines& input) {
    LogLine line;
    const auto start = [&line](const std::optional<TextLines::Line>& read) {
        return read && ParseLogLine(read->text, line) == LogLineRead::Read &&
               line.kind == LogLine::Kind::RecordStart;
    };
    if (logs.empty()) return std::nullopt;
    if (logs.front().path == "-")
        return start(input.Peek()) ? std::optional(line.run) : std::nullopt;
    // A part the size limit left may begin inside a run: the first run it tells of.
    const UniqueFd fd(::open(logs.front().path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY));
    TextLines lines(fd.Get());
    for (std::optional<TextLines::Line> read; fd.Valid() && (read = lines.Next());)
        if (start(read)) return line.run;
    return std::nullopt;
}

}  // namespace zorvane
