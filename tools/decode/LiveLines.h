#pragma once

#include "LiveSink.h"
#include "StreamDecoder.h"

namespace zorvane {

// The plain and --trace forms on a device: the offsets count the bytes read since the start, a
// port that goes and comes back is told on standard error.
class LiveLines final : public LiveSink {
  public:
    explicit LiveLines(bool trace) : decoder_(trace) {}

    void Byte(std::uint8_t byte, const Moment& /*at*/, std::string& out) override {
        decoder_.Feed(&byte, 1, out);
    }
    void Quiet(const Moment& /*at*/, std::string& /*out*/) override {}
    void Port(ReconnectingPort::Change change, const std::string& device, const Moment& at,
              std::string& out) override;

  private:
    StreamDecoder decoder_;
};

}  // namespace zorvane
