#pragma once

#include "Output.h"

namespace zorvane::sim {

// Standard output: every byte is delivered, however long the consumer takes.
class StdoutOutput : public Output {
  public:
    SendResult Send(std::span<const std::uint8_t> bytes, Nanos deadline) override;
    std::string Describe() const override { return "writing to standard output"; }
};

}  // namespace zorvane::sim
