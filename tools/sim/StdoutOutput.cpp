#include "StdoutOutput.h"

#include <unistd.h>

#include <cstring>

#include "FdWrite.h"

namespace zorvane::sim {

SendResult StdoutOutput::Send(std::span<const std::uint8_t> bytes, Nanos /*deadline*/) {
    // A pipe consumer (zorvane-decode) must see every frame, so no deadline here.
    const WriteOutcome out = WriteUntil(STDOUT_FILENO, bytes, std::nullopt);
    switch (out.status) {
        case WriteStatus::Done:
            return SendResult::Sent;
        case WriteStatus::Broken:
        case WriteStatus::HungUp:
            return SendResult::Finished;
        case WriteStatus::Stopped:
        case WriteStatus::TimedOut:
            return SendResult::Dropped;
        case WriteStatus::Failed:
            break;
    }
    error_ = std::string("cannot write to standard output: ") + std::strerror(out.error);
    return SendResult::Failed;
}

}  // namespace zorvane::sim
