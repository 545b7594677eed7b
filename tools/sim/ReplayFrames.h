#pragma once

#include <memory>
#include <string>
#include <vector>

#include "FrameSource.h"

namespace zorvane::sim {

// A capture's bytes, twelve per frame slot (so the line rate holds), once or in a loop.
class ReplayFrames : public FrameSource {
  public:
    // Reads the whole file; nullptr and `error` set when it cannot be used.
    static std::unique_ptr<ReplayFrames> Load(const std::string& path, bool loop,
                                              std::string& error);

    std::span<const std::uint8_t> Next() override;

  private:
    ReplayFrames(std::vector<std::uint8_t> bytes, bool loop)
        : bytes_(std::move(bytes)), loop_(loop) {}

    std::vector<std::uint8_t> bytes_;
    bool loop_;
    std::size_t pos_ = 0;
};

}  // namespace zorvane::sim
