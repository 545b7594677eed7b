#include "TimelineRun.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string_view>

#include "TextOutput.h"

namespace zorvane {

TimelineRun::TimelineRun(const char* vcd, bool stats, const LampCaptions& captions)
    : vcdPath_(vcd) {
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
    return file_.Commit();
}

Timeline& TimelineRun::Get() {
    if (both_) return *both_;
    if (vcd_) return *vcd_;
    return *stats_;
}

int TimelineRun::Finish(int status) {
    if (status == 0 && !Commit()) status = 1;
    if (status != 0 || !stats_) return status;
    return WriteOutput(stats_->Report(), report_) ? 0 : 1;
}

}  // namespace zorvane
