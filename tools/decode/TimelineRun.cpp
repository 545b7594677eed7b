#include "TimelineRun.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string_view>

#include "GtkwaveSave.h"
#include "TextOutput.h"

namespace zorvane {

TimelineRun::TimelineRun(const char* vcd, bool stats, const LampCaptions& captions)
    : vcdPath_(vcd), captions_(captions) {
    if (vcd) vcd_.emplace(captions);
    if (stats) stats_.emplace(captions);
    if (vcd_ && stats_) both_.emplace(*vcd_, *stats_);
}

TimelineRun::~TimelineRun() {
    if (report_ != stdout) std::fclose(report_);  // written and flushed already
}

bool TimelineRun::Open() {
    if (!vcdPath_ || std::string_view(vcdPath_) == "-") return true;
    // The statistics go where standard output went before.
    if (stats_) {
        const int saved = ::dup(STDOUT_FILENO);
        report_ = saved >= 0 ? ::fdopen(saved, "w") : nullptr;
        if (!report_) {
            std::fprintf(stderr, "zorvane-decode: cannot write %s: %s\n", vcdPath_,
                         std::strerror(errno));
            report_ = stdout;
            return false;
        }
    }
    return file_.Open(vcdPath_);
}

bool TimelineRun::Commit() {
    if (!file_.Commit()) return false;
    if (!vcdPath_ || std::string_view(vcdPath_) == "-" || viewChecked_) return true;
    viewChecked_ = true;
    // The dump is what was asked for; without its save file it still opens.
    const std::string note = WriteGtkwaveSave(vcdPath_, captions_);
    if (!note.empty()) std::fprintf(stderr, "zorvane-decode: %s\n", note.c_str());
    savedView_ = note.empty();
    return true;
}

Timeline& TimelineRun::Get() {
    if (both_) return *both_;
    if (vcd_) return *vcd_;
    return *stats_;
}

int TimelineRun::Finish(int status) {
    if (status == 0 && !Commit()) status = 1;
    // Now that its end is known, the view opens on the whole dump; should that fail, the save
    // file written when the dump took its place stays.
    if (savedView_ && status == 0) (void)WriteGtkwaveSave(vcdPath_, captions_, vcd_->Now());
    if (status != 0 || !stats_) return status;
    return WriteOutput(stats_->Report(), report_) ? 0 : 1;
}

}  // namespace zorvane
