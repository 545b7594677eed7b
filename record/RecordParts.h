#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "UniqueFd.h"

namespace zorvane {

// The record's files: one a day, "YYYY-MM-DD.log", appended, in one folder; all of them together
// kept under a size limit by deleting the oldest first. Only regular files named so are ever
// counted or deleted. Used by one thread.
class DailyFiles {
  public:
    DailyFiles(std::filesystem::path folder, std::uint64_t sizeLimit)
        : folder_(std::move(folder)), sizeLimit_(sizeLimit) {}
    ~DailyFiles() { Close(); }
    DailyFiles(const DailyFiles&) = delete;
    DailyFiles& operator=(const DailyFiles&) = delete;

    struct Result {
        int error = 0;               // errno; EDQUOT: the limit leaves no room for `text`
        std::size_t written = 0;     // bytes of `text` in the file
        std::filesystem::path path;  // what failed: the folder or the file
    };
    // Appends `text` to the file of `date` ("2025-03-14"), making the folder (mode 0700) when it
    // is missing. After a failure the next call opens the file anew.
    Result Append(std::string_view date, std::string_view text);
    // Puts what was written on the disk.
    void Sync() const;
    void Close();

    static bool IsDayFileName(std::string_view name);

  private:
    Result Open(std::string_view date);
    // Deletes the oldest other day files until `more` bytes fit; false when they cannot.
    bool MakeRoom(std::uint64_t more);

    std::filesystem::path folder_;
    std::uint64_t sizeLimit_;
    UniqueFd fd_;
    std::string date_;         // of the open file
    std::uint64_t total_ = 0;  // all day files' bytes as last counted, plus what was written since
};

}  // namespace zorvane
