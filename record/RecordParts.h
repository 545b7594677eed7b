#pragma once

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>

#include "UniqueFd.h"

namespace zorvane {

// The record's files, in one folder: parts, each begun for the hour of its first line and ended
// when it reaches a tenth of the size limit or its hour is over, named after the UTC time of
// their first line ("20250314T082653.589Z.log"), so that their names sort by time. Together with
// the day files of earlier versions ("2025-03-14.log", which sort before them) they are kept under
// the limit by deleting the oldest first, the current day's included. Only regular files named
// so are counted or deleted.
//
// Every part is new: nothing is appended to a file this object did not make, nor to a line cut
// off. Parts are the user's alone (0600) and never reached through a symbolic link. Used by one
// thread.
class RecordParts {
  public:
    using Clock = std::chrono::system_clock;

    // `ownFolder`: the program's own folder, made private when it is not; another is left as the
    // user made it.
    RecordParts(std::filesystem::path folder, std::uint64_t sizeLimit, bool ownFolder)
        : folder_(std::move(folder)), sizeLimit_(sizeLimit), ownFolder_(ownFolder) {}
    ~RecordParts() { Close(); }
    RecordParts(const RecordParts&) = delete;
    RecordParts& operator=(const RecordParts&) = delete;

    struct Result {
        // errno; ELOOP: a symbolic link in place of a part; EDQUOT: a line longer than the limit
        int error = 0;
        std::size_t written = 0;     // bytes of `lines` in the files, whole lines
        std::filesystem::path path;  // what failed: the folder or the part
    };
    // Appends `lines` (whole lines, each beginning with its local time) of the hour that begins
    // at `hour`, making the folder (mode 0700) when it is missing. A line either goes in whole
    // or not at all; after a failure the next call opens the part anew.
    Result Append(Clock::time_point hour, std::string_view lines);
    // Puts what was written on the disk.
    void Sync() const;
    void Close();

    // Others may read the folder, as far as the last part made found it.
    bool FolderShared() const { return folderShared_; }

    // A part's name, or a day file's of an earlier version.
    static bool IsRecordFileName(std::string_view name);

  private:
    Result Open(Clock::time_point hour, std::string_view lines);
    Result Reopen();
    Result MakePart(std::string_view lines);
    Result Create(Clock::time_point at);
    int MakeFolder();
    void Count();
    // Deletes the oldest other files until `more` bytes fit; false when they cannot.
    bool MakeRoom(std::uint64_t more);
    int WriteWhole(std::string_view lines);
    std::uint64_t PartLimit() const { return std::max<std::uint64_t>(sizeLimit_ / 10, 1); }
    std::filesystem::path PartPath() const { return folder_ / part_; }

    const std::filesystem::path folder_;
    const std::uint64_t sizeLimit_;
    const bool ownFolder_;
    bool folderShared_ = false;
    UniqueFd fd_;
    std::string part_;  // the current part's name; empty when the next lines need a new one
    Clock::time_point hour_;
    std::uint64_t partSize_ = 0;
    Clock::time_point lastNamed_ = Clock::time_point::min();
    std::map<std::string, std::uint64_t> files_;  // by name, so by age, with their sizes
    std::uint64_t total_ = 0;
};

}  // namespace zorvane
