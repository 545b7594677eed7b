#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "ChangeLog.h"
#include "Frame.h"
#include "LogLine.h"

namespace zorvane {

struct RecordSettings {
    std::filesystem::path folder;           // the parts' folder; made when missing
    std::uint64_t sizeLimit = 200'000'000;  // bytes, all parts of the folder together
    // Lines held in memory while the disk does not take them; later ones are dropped and noted.
    std::size_t heldLines = 100'000;
    bool ownFolder = false;  // the program's own folder, kept private (RecordParts)
};

// What the record is doing, for the window to tell.
struct RecordStatus {
    bool writing = true;  // false while lines cannot be written
    // Why not: the errno of the failed call; ELOOP for a symbolic link in place of a part,
    // EDQUOT for a line longer than the size limit (see RecordParts).
    int error = 0;
    std::string path;  // the folder or file that failed
    // Lines dropped since writing stopped; counted by Status() only, not told to the listener.
    std::uint64_t linesLost = 0;
    std::string sharedFolder;  // the record's folder when others may read it, else empty
    bool operator==(const RecordStatus&) const = default;
};

// The monitor's record: the lines of a change log (ChangeLog, LogLine.h) in parts
// (RecordParts), written by a thread of its own so that no caller ever waits for a disk.
//
// Callers hand over frames and events with their times. Unchanged frames cost a comparison.
// The writer thread formats and appends what was handed over at least once a second. While
// the disk does not take the lines (full, read-only, gone, or slow) they are held as frames and
// events, a few dozen bytes each, up to `heldLines`; further lines are dropped and counted. The
// writer retries once a second and, when the disk takes lines again, writes what it held and
// then a record-gap line for the dropped ones.
//
// Thread safety: AddFrame, AddEvent, AddHealth, Flush and Status may be called from any thread;
// the first three only take a short lock that the writer never holds while it writes. The status
// listener runs on the writer thread whenever writing stops, resumes, or fails for another
// reason; it must not wait for the thread that destroys the record (post the status on, e.g.
// with a queued call). Construct and destroy on one thread.
class Record {
  public:
    using StatusListener = std::function<void(const RecordStatus&)>;

    // Starts the writer; the run's first line (record-start) is the first it writes.
    Record(RecordSettings settings, const RunInfo& run, LampCaptions captions,
           StatusListener onStatus = {});
    // Writes what was handed over and a record-end line, puts it on the disk and closes the file.
    // A disk that hangs for good is given up on after kCloseLimit.
    ~Record();
    Record(const Record&) = delete;
    Record& operator=(const Record&) = delete;

    static constexpr std::chrono::seconds kCloseLimit{2};

    // A frame the window showed; a line is written only when its data differ from the last.
    void AddFrame(const Frame& frame, std::chrono::system_clock::time_point at);
    void AddEvent(ChangeLog::Event event, std::chrono::system_clock::time_point at);
    // A line-health line: the line's counts since the run began.
    void AddHealth(const LineHealth& health, std::chrono::system_clock::time_point at);

    // Has everything handed over so far written and put on the disk now, waiting at most
    // `limit` (for SIGTERM and logout). True when it is all in the file (dropped lines as a
    // record-gap line); false when writing fails or `limit` passed first.
    bool Flush(std::chrono::milliseconds limit);

    RecordStatus Status() const;

  private:
    struct Shared;
    std::shared_ptr<Shared> shared_;
    std::jthread writer_;
};

}  // namespace zorvane
