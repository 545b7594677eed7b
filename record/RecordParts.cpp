#include "DailyFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <map>

namespace zorvane {

namespace fs = std::filesystem;

namespace {

// mkdir -p, new folders private to the user as the XDG base directories ask.
int MakeFolder(const fs::path& folder) {
    fs::path made;
    for (const auto& part : folder) {
        made /= part;
        if (::mkdir(made.c_str(), 0700) != 0 && errno != EEXIST) return errno;
    }
    return 0;
}

// The folder's day files by name, so by date, with their sizes.
std::map<std::string, std::uint64_t> DayFiles(const fs::path& folder) {
    std::map<std::string, std::uint64_t> files;
    std::error_code error;  // an unreadable folder has no day files we could delete
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        if (!DailyFiles::IsDayFileName(name) || !entry.is_regular_file(error)) continue;
        const auto size = entry.file_size(error);
        files[name] = error ? 0 : size;
    }
    return files;
}

DailyFiles::Result Fail(int error, fs::path path) {
    return {error, 0, std::move(path)};
}

}  // namespace

bool DailyFiles::IsDayFileName(std::string_view name) {
    static constexpr std::string_view kForm = "dddd-dd-dd.log";
    if (name.size() != kForm.size()) return false;
    for (std::size_t i = 0; i < kForm.size(); ++i)
        if (kForm[i] == 'd' ? name[i] < '0' || name[i] > '9' : name[i] != kForm[i]) return false;
    return true;
}

DailyFiles::Result DailyFiles::Append(std::string_view date, std::string_view text) {
    if (!fd_.Valid() || date != date_) {
        if (const Result opened = Open(date); opened.error) return opened;
    }
    const fs::path path = folder_ / (date_ + ".log");
    if (total_ + text.size() > sizeLimit_ && !MakeRoom(text.size())) return Fail(EDQUOT, path);
    Result result;
    while (result.written < text.size()) {
        const ssize_t n =
            ::write(fd_.Get(), text.data() + result.written, text.size() - result.written);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int error = errno;
            Close();  // a file that failed once is opened anew: it may have gone or been replaced
            result.error = error;
            result.path = path;
            break;
        }
        result.written += static_cast<std::size_t>(n);
        total_ += static_cast<std::uint64_t>(n);
    }
    return result;
}

DailyFiles::Result DailyFiles::Open(std::string_view date) {
    Close();
    if (const int error = MakeFolder(folder_)) return Fail(error, folder_);
    const fs::path path = folder_ / (std::string(date) + ".log");
    fd_ =
        UniqueFd(::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY, 0644));
    if (!fd_.Valid()) return Fail(errno, path);
    date_ = date;
    total_ = 0;
    for (const auto& [name, size] : DayFiles(folder_))
        total_ += size;
    return {};
}

bool DailyFiles::MakeRoom(std::uint64_t more) {
    auto files = DayFiles(folder_);
    const std::string current = date_ + ".log";
    total_ = 0;
    for (const auto& [name, size] : files)
        total_ += size;
    for (const auto& [name, size] : files) {
        if (total_ + more <= sizeLimit_) break;
        if (name == current) continue;
        std::error_code error;  // one that cannot be deleted is left; the next may be
        if (fs::remove(folder_ / name, error)) total_ -= size;
    }
    return total_ + more <= sizeLimit_;
}

void DailyFiles::Sync() const {
    // A failure leaves the data to the kernel's own write-back; a failing disk fails the next
    // write, which is reported.
    if (fd_.Valid()) (void)::fdatasync(fd_.Get());
}

void DailyFiles::Close() {
    fd_.Reset();
}

}  // namespace zorvane
