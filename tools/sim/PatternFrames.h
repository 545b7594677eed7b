#pragma once

#include "Frame.h"

#include "FrameSource.h"
#include "SimOptions.h"

namespace zorvane::sim {

// Encoded frames of a pattern, optionally without the first block and with damaged bytes.
class PatternFrames : public FrameSource {
  public:
    struct Settings {
        PatternSpec pattern;
        std::uint64_t framesPerLamp = 1;
        bool plcSilent = false;
        double corrupt = 0.0;
        std::uint64_t seed = 1;
    };

    explicit PatternFrames(const Settings& settings) : settings_(settings) {}
    std::span<const std::uint8_t> Next() override;

    std::uint64_t corrupted() const { return corrupted_; }

  private:
    Settings settings_;
    std::uint64_t n_ = 0;
    std::uint64_t corrupted_ = 0;
    WireBytes wire_{};
};

}  // namespace zorvane::sim
