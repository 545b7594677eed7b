#pragma once

#include <chrono>
#include <functional>
#include <string>

#include "LinkClock.h"
#include "ReconnectingPort.h"
#include "Record.h"

namespace zorvane {

// The monitor's record of what its window shows: every frame shown, the link as the indicator
// shows it, the port going and coming back. A silence is stamped when it began, 40 ms after the
// last frame, as zorvane-decode --changes stamps it, not when a busy window got round to it.
class ShownRecord {
  public:
    // Runs on the record's own thread: empty while the record is written, else why it is not,
    // in Czech for the window.
    using TroubleListener = std::function<void(const std::string& trouble)>;

    ShownRecord(RecordSettings settings, const RunInfo& run, LampCaptions captions,
                TroubleListener onTrouble);

    // User-interface thread: the window shows `frame` now.
    void FrameShown(const Frame& frame);
    // User-interface thread: the watchdog turned the indicator red.
    void SilenceShown();
    // Any thread.
    void PortChanged(ReconnectingPort::Change change);
    // Everything so far on the disk, waiting at most `limit`; false when it is not.
    bool Flush(std::chrono::milliseconds limit) { return record_.Flush(limit); }

  private:
    LinkClock link_;
    Record record_;
};

// "Záznam se nedaří zapisovat do /home/u/.local/state/zorvane: disk je plný (ENOSPC)"; empty
// while writing.
std::string CzechRecordTrouble(const RecordStatus& status);

}  // namespace zorvane
