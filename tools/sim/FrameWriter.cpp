#include "FrameWriter.h"

namespace zorvane::sim {

WriteOutcome FrameWriter::Send(std::span<const std::uint8_t> bytes, Nanos deadline) {
    if (!pending_.empty()) {
        const WriteOutcome rest = WriteUntil(fd_, pending_, deadline);
        pending_.erase(pending_.begin(), pending_.begin() + static_cast<long>(rest.written));
        if (rest.status == WriteStatus::HungUp) pending_.clear();
        if (rest.status != WriteStatus::Done) return {rest.status, 0, rest.error};
    }
    const WriteOutcome out = WriteUntil(fd_, bytes, deadline);
    if (out.status == WriteStatus::TimedOut && out.written > 0) {
        pending_.assign(bytes.begin() + static_cast<long>(out.written), bytes.end());
        return {WriteStatus::Done, out.written, 0};
    }
    return out;
}

}  // namespace zorvane::sim
