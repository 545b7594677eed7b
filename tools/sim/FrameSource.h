#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "Options.h"

namespace zorvane::sim {

// The bytes for the next frame slot, valid until the next call; empty once the source is spent.
using FrameSource = std::function<std::span<const std::uint8_t>()>;

// Encoded frames of the chosen pattern, damaged as --corrupt asks.
FrameSource PatternSource(const Options& options);

// A capture's bytes, twelve a slot so the line rate holds; nullopt and `error` when unreadable.
std::optional<FrameSource> ReplaySource(const std::string& path, bool loop, std::string& error);

}  // namespace zorvane::sim
