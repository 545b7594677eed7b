#pragma once

#include <chrono>
#include <functional>
#include <string>

#include "LineEvent.h"
#include "Record.h"

namespace zorvane {

// The monitor's record of what its window shows: every frame shown, the link going down and up,
// the port going and coming back, each with the time the line core gave it.
class ShownRecord {
  public:
    // Runs on the record's own thread: empty while the record is written to a private folder,
    // else why it is not and whether others may read it, in Czech for the window.
    using TroubleListener = std::function<void(const std::string& trouble)>;

    ShownRecord(RecordSettings settings, const RunInfo& run, LampCaptions captions,
                TroubleListener onTrouble);

    // User-interface thread: the window shows `event` now.
    void Shown(const LineEvent& event);
    // User-interface thread: the line's health now. A line-health line is written once a minute
    // while any count but the frames grows, and at the end (`last`).
    void HealthNow(const LineHealth& health, bool last = false);
    // Everything so far on the disk, waiting at most `limit`; false when it is not.
    bool Flush(std::chrono::milliseconds limit) { return record_.Flush(limit); }

  private:
    Record record_;
    LineHealth written_;  // as the last line-health line said
    std::chrono::steady_clock::time_point writtenAt_{};
};

// "Záznam se nedaří zapisovat do /home/u/.local/state/zorvane: disk je plný (ENOSPC)"; empty
// while writing. Before it, when others may read the record's folder, a line that says so.
std::string CzechRecordTrouble(const RecordStatus& status);

}  // namespace zorvane
