#include "ShownRecord.h"

#include <cerrno>
#include <cstring>
#include <utility>

namespace zorvane {

namespace {

constexpr std::chrono::minutes kHealthInterval{1};

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
        case ELOOP:  // never followed: it could lead anywhere
            return "místo souboru záznamu je symbolický odkaz";
        default:
            return "zápis selhal";
    }
}

}  // namespace

std::string CzechRecordTrouble(const RecordStatus& status) {
    std::string text;
    if (!status.sharedFolder.empty())
        text = "Složku záznamu " + status.sharedFolder + " mohou číst i ostatní uživatelé";
    if (status.writing) return text;
    if (!text.empty()) text += '\n';
    text += "Záznam se nedaří zapisovat do " + status.path + ": " + CzechWhy(status.error);
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

void ShownRecord::HealthNow(const LineHealth& health, bool last) {
    const auto now = std::chrono::steady_clock::now();
    const bool due = health.Faults() > written_.Faults() && now - writtenAt_ >= kHealthInterval;
    if (!due && !last) return;
    record_.AddHealth(health, std::chrono::system_clock::now());
    written_ = health;
    writtenAt_ = now;
}

void ShownRecord::Shown(const LineEvent& event) {
    if (event.kind == LineEvent::Kind::Frame)
        record_.AddFrame(event.frame, event.at.wall);
    else
        record_.AddEvent(event.kind, event.at.wall);
}

}  // namespace zorvane
