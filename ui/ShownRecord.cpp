#include "ShownRecord.h"

#include <cerrno>
#include <cstring>
#include <utility>

namespace zorvane {

namespace {

const char* CzechWhy(int error) {
    switch (error) {
        case ENOSPC:
            return "disk je plný";
        case EDQUOT:  // the record's own limit, unless the system has quotas
            return "vyčerpán limit velikosti záznamu (nebo disková kvóta)";
        case EROFS:
            return "disk je jen pro čtení";
        case EACCES:
        case EPERM:
            return "přístup odepřen";
        case ENOTDIR:
            return "část cesty není složka";
        case ENOENT:
            return "složka neexistuje";
        case EIO:
            return "chyba disku";
        default:
            return "zápis selhal";
    }
}

}  // namespace

std::string CzechRecordTrouble(const RecordStatus& status) {
    if (status.writing) return {};
    std::string text =
        "Záznam se nedaří zapisovat do " + status.path + ": " + CzechWhy(status.error);
    // The system's own words are English; its name for the error is not a sentence.
    if (const char* name = status.error != 0 ? ::strerrorname_np(status.error) : nullptr)
        text += std::string(" (") + name + ")";
    return text;
}

ShownRecord::ShownRecord(RecordSettings settings, const RunInfo& run, LampCaptions captions,
                         TroubleListener onTrouble)
    : record_(std::move(settings), run, std::move(captions),
              [onTrouble = std::move(onTrouble)](const RecordStatus& status) {
                  onTrouble(CzechRecordTrouble(status));
              }) {}

void ShownRecord::FrameShown(const Frame& frame) {
    const Moment now = Moment::Now();
    if (link_.Frame(now)) record_.AddEvent(ChangeLog::Event::LinkUp, now.wall);
    record_.AddFrame(frame, now.wall);
}

void ShownRecord::SilenceShown() {
    // The watchdog fires no sooner than its 40 ms after the frame, so this is that moment or
    // later; before any frame there is nothing to say.
    if (const auto down = link_.WentDown(Moment::Now()))
        record_.AddEvent(ChangeLog::Event::LinkDown, down->wall);
}

void ShownRecord::PortChanged(ReconnectingPort::Change change) {
    const bool lost = change == ReconnectingPort::Change::Lost;
    record_.AddEvent(lost ? ChangeLog::Event::PortLost : ChangeLog::Event::PortBack,
                     std::chrono::system_clock::now());
}

}  // namespace zorvane
