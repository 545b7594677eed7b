#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>

namespace zorvane {

inline constexpr std::size_t kWireFrameBytes = 12;  // AA D0..D4 C1 AA E0 E1 E2 C2

inline constexpr std::uint8_t kBlockStart = 0xAA;
inline constexpr std::size_t kPlcBytes = 5;
inline constexpr std::size_t kRtBytes = 3;
inline constexpr int kLampCount = 64;

// The data of one frame: the PLC's D0..D4, then the RT7720's E0..E2. Lamp n (1..64) is bit
// (n-1) mod 8 of data[(n-1)/8], so lamps 1..40 are the PLC's and 41..64 the RT7720's.
struct Frame {
    std::array<std::uint8_t, kPlcBytes + kRtBytes> data{};

    bool Lamp(int n) const { return (data[(n - 1) / 8] >> ((n - 1) % 8)) & 1u; }
    void SetLamp(int n, bool on);
    // Views into this frame, so never of a temporary.
    std::span<const std::uint8_t, kPlcBytes> Plc() const& {
        return std::span(data).first<kPlcBytes>();
    }
    std::span<const std::uint8_t, kRtBytes> Rt() const& { return std::span(data).last<kRtBytes>(); }
    void Plc() const&& = delete;
    void Rt() const&& = delete;
    // As one word: comparing frames is what a change log does with every frame.
    bool operator==(const Frame& other) const {
        return std::bit_cast<std::uint64_t>(data) == std::bit_cast<std::uint64_t>(other.data);
    }
};

using WireBytes = std::array<std::uint8_t, kWireFrameBytes>;

// What a transmitter sends for one frame: AA D0..D4 C1 AA E0 E1 E2 C2.
WireBytes EncodeFrame(const Frame& frame);

}  // namespace zorvane
