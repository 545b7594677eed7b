#include "RecordParts.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>

#include "LocalTime.h"

namespace zorvane {

namespace fs = std::filesystem;

namespace {

constexpr int kOpenFlags = O_WRONLY | O_APPEND | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY;

RecordParts::Result Fail(int error, fs::path path) {
    return {error, 0, std::move(path)};
}

bool Matches(std::string_view name, std::string_view form) {
    if (name.size() != form.size()) return false;
    for (std::size_t i = 0; i < form.size(); ++i)
        if (form[i] == 'd' ? name[i] < '0' || name[i] > '9' : name[i] != form[i]) return false;
    return true;
}

// "20250314T082653.589Z.log"
std::string PartName(RecordParts::Clock::time_point at) {
    using namespace std::chrono;
    const auto seconds = floor<std::chrono::seconds>(at);
    const std::time_t t = RecordParts::Clock::to_time_t(seconds);
    std::tm utc{};
    (void)gmtime_r(&t, &utc);  // fails only past the year 2^31; zeros then
    char time[32];
    std::strftime(time, sizeof time, "%Y%m%dT%H%M%S", &utc);
    char name[48];
    std::snprintf(name, sizeof name, "%s.%03dZ.log", time,
                  static_cast<int>(duration_cast<milliseconds>(at - seconds).count()));
    return name;
}

// The whole lines at the front of `lines` that fit `room`; the first one in any case.
std::size_t Fitting(std::string_view lines, std::uint64_t room) {
    std::size_t end = 0;
    while (end < lines.size()) {
        const std::size_t stop = lines.find('\n', end);
        const std::size_t next = stop == std::string_view::npos ? lines.size() : stop + 1;
        if (next > room && end > 0) break;
        end = next;
    }
    return end;
}

}  // namespace

bool RecordParts::IsRecordFileName(std::string_view name) {
    return Matches(name, "ddddddddTdddddd.dddZ.log") || Matches(name, "dddd-dd-dd.log");
}

RecordParts::Result RecordParts::Append(Clock::time_point hour, std::string_view lines) {
    Result result;
    while (result.written < lines.size()) {
        const std::string_view rest = lines.substr(result.written);
        // Such a line could never be kept: nothing is deleted for it.
        if (Fitting(rest, 0) > sizeLimit_) return {EDQUOT, result.written, folder_};
        if (!fd_.Valid() || hour != hour_ || partSize_ >= PartLimit()) {
            Result opened = Open(hour, rest);
            opened.written = result.written;
            if (opened.error) return opened;
        }
        const std::size_t size = Fitting(rest, PartLimit() - partSize_);
        const fs::path path = PartPath();
        if (!MakeRoom(size)) return {EDQUOT, result.written, path};
        if (const int error = WriteWhole(rest.substr(0, size))) {
            Close();  // opened anew next time: it may have gone or been replaced
            return {error, result.written, path};
        }
        result.written += size;
    }
    return result;
}

RecordParts::Result RecordParts::Open(Clock::time_point hour, std::string_view lines) {
    const bool sameHour = !part_.empty() && hour == hour_;
    Close();
    if (sameHour && partSize_ < PartLimit()) {
        const Result reopened = Reopen();
        if (reopened.error != ENOENT) return reopened;
    }
    hour_ = hour;
    return MakePart(lines);
}

RecordParts::Result RecordParts::Reopen() {
    fd_ = UniqueFd(::open(PartPath().c_str(), kOpenFlags));
    return fd_.Valid() ? Result{} : Fail(errno, PartPath());
}

RecordParts::Result RecordParts::MakePart(std::string_view lines) {
    part_.clear();
    if (const int error = MakeFolder()) return Fail(error, folder_);
    Count();
    // Named after its first line, and after every part this record made before.
    using std::chrono::milliseconds;
    const auto first = ParseLocalTime(lines.substr(0, lines.find(' ')));
    Clock::time_point at = std::chrono::floor<milliseconds>(first.value_or(hour_));
    if (lastNamed_ != Clock::time_point::min()) at = std::max(at, lastNamed_ + milliseconds(1));
    for (int tries = 0; tries < 100; ++tries, at += milliseconds(1)) {
        const Result made = Create(at);
        if (made.error != EEXIST) return made;  // else another run's part, that millisecond
    }
    return Fail(EEXIST, folder_);
}

RecordParts::Result RecordParts::Create(Clock::time_point at) {
    const std::string name = PartName(at);
    const fs::path path = folder_ / name;
    fd_ = UniqueFd(::open(path.c_str(), kOpenFlags | O_CREAT | O_EXCL, 0600));
    if (!fd_.Valid()) {
        const int error = errno;
        struct stat st {};
        const bool link = error == EEXIST && ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
        return Fail(link ? ELOOP : error, path);  // a link is not followed, and told
    }
    part_ = name;
    lastNamed_ = at;
    partSize_ = 0;
    files_[part_] = 0;
    return {};
}

// mkdir -p, new folders private to the user as the XDG base directories ask.
int RecordParts::MakeFolder() {
    fs::path made;
    for (const auto& step : folder_) {
        made /= step;
        if (::mkdir(made.c_str(), 0700) != 0 && errno != EEXIST) return errno;
    }
    struct stat st {};
    if (::stat(folder_.c_str(), &st) != 0) return errno;
    if (!S_ISDIR(st.st_mode)) return ENOTDIR;
    constexpr mode_t kOthers = S_IRWXG | S_IRWXO;
    // Ours made private even when an earlier version or the user made it open: failing that, it
    // is told like any other folder.
    if (ownFolder_ && (st.st_mode & kOthers) && ::chmod(folder_.c_str(), 0700) == 0)
        st.st_mode &= ~kOthers;
    folderShared_ = (st.st_mode & (S_IRGRP | S_IROTH)) != 0;
    return 0;
}

void RecordParts::Count() {
    files_.clear();
    total_ = 0;
    std::error_code error;  // an unreadable folder has no files we could delete
    for (fs::directory_iterator i(folder_, error), end; !error && i != end; i.increment(error)) {
        const std::string name = i->path().filename().string();
        std::error_code gone;
        if (!IsRecordFileName(name) || i->symlink_status(gone).type() != fs::file_type::regular)
            continue;
        const auto size = i->file_size(gone);
        files_[name] = gone ? 0 : size;
        total_ += files_[name];
    }
}

bool RecordParts::MakeRoom(std::uint64_t more) {
    while (total_ + more > sizeLimit_ && !files_.empty() && files_.begin()->first != part_) {
        const auto oldest = files_.begin();
        // One that cannot be deleted is not ours to keep small: it counts no more.
        std::error_code ignored;
        fs::remove(folder_ / oldest->first, ignored);
        total_ -= oldest->second;
        files_.erase(oldest);
    }
    return total_ + more <= sizeLimit_;
}

int RecordParts::WriteWhole(std::string_view lines) {
    std::size_t done = 0;
    while (done < lines.size()) {
        const ssize_t n = ::write(fd_.Get(), lines.data() + done, lines.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int error = errno;
            // A line cut off is taken back; one that cannot be ends its part, so that nothing
            // is ever written after it.
            if (done > 0 && ::ftruncate(fd_.Get(), off_t(partSize_)) != 0) part_.clear();
            return error;
        }
        done += std::size_t(n);
    }
    partSize_ += done;
    total_ += done;
    files_[part_] = partSize_;
    return 0;
}

void RecordParts::Sync() const {
    // A failure leaves the data to the kernel's own write-back; a failing disk fails the next
    // write, which is reported.
    if (fd_.Valid()) (void)::fdatasync(fd_.Get());
}

void RecordParts::Close() {
    fd_.Reset();
}

}  // namespace zorvane
