#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "ChangeLog.h"
#include "FrameReceiver.h"
#include "Timeline.h"

namespace zorvane {

// Runs a captured byte stream through the reader's decoding and writes one text line per
// completed frame, or with `trace` one line per byte, or hands the frames to a change log that
// stamps them with the completing byte's offset.
class StreamDecoder {
  public:
    explicit StreamDecoder(bool trace) : trace_(trace) {}
    explicit StreamDecoder(ChangeLog& changes) : trace_(false), changes_(&changes) {}
    // Tells the frames to `timeline`, timed by their offsets, and writes no frame lines; or with
    // `changes`, its lines.
    StreamDecoder(Timeline& timeline, ChangeLog* changes)
        : trace_(false), changes_(changes), timeline_(&timeline) {}

    // Appends the lines for these bytes to `out`; offsets continue across calls.
    void Feed(const std::uint8_t* data, std::size_t size, std::string& out);
    // How many bytes were fed.
    std::uint64_t Bytes() const { return offset_; }

  private:
    // The frame just completed by the byte at `offset`: its line, or to the change log.
    void AddFrame(std::uint64_t offset, const ReceiverState& before, std::string& out);
    void AppendTraceLine(std::uint64_t offset, std::uint8_t byte, const DecodedByte& step,
                         std::string& out);

    FrameReceiver receiver_;
    std::uint64_t offset_ = 0;
    bool trace_;
    ChangeLog* changes_ = nullptr;
    Timeline* timeline_ = nullptr;
};

}  // namespace zorvane
