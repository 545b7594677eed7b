#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <optional>

namespace zorvane {

// A driver's counts cost a system call: asked once a second, they are seen to move all the same.
inline constexpr std::chrono::seconds kDriverCountsInterval{1};

// What a serial port's driver counts of a line's faults (TIOCGICOUNT).
struct DriverErrors {
    std::uint64_t parity = 0;
    std::uint64_t framing = 0;
    std::uint64_t overrun = 0;        // the UART's own buffer overran
    std::uint64_t bufferOverrun = 0;  // the driver's buffer did: the reader was held up
    std::uint64_t breaks = 0;

    std::uint64_t Sum() const { return parity + framing + overrun + bufferOverrun + breaks; }
    bool operator==(const DriverErrors&) const = default;

    DriverErrors& operator+=(const DriverErrors& b) {
        parity += b.parity;
        framing += b.framing;
        overrun += b.overrun;
        bufferOverrun += b.bufferOverrun;
        breaks += b.breaks;
        return *this;
    }
    // What was counted after `then`; a count that went back (the driver started anew) gives 0.
    DriverErrors Since(const DriverErrors& then) const {
        const auto since = [](std::uint64_t now, std::uint64_t was) {
            return now - std::min(now, was);
        };
        return {since(parity, then.parity), since(framing, then.framing),
                since(overrun, then.overrun), since(bufferOverrun, then.bufferOverrun),
                since(breaks, then.breaks)};
    }
};

// How the line itself fared since it was first opened: a noisy cable shows here, a flickering
// machine does not.
struct LineHealth {
    std::uint64_t frames = 0;
    std::uint64_t checksumErrors = 0;  // blocks whose check byte was wrong
    std::uint64_t skippedBytes = 0;    // bytes that belonged to no frame
    // Nothing where the port cannot tell (a pseudo-terminal, a capture, a pipe): never a zero
    // that pretends.
    std::optional<DriverErrors> driver;

    // Every fault counted, frames aside.
    std::uint64_t Faults() const {
        return checksumErrors + skippedBytes + (driver ? driver->Sum() : 0);
    }
    bool operator==(const LineHealth&) const = default;

    // What came after `then`: the driver's counts where both knew them, else as they are now.
    LineHealth Since(const LineHealth& then) const {
        LineHealth since = *this;
        since.frames -= std::min(frames, then.frames);
        since.checksumErrors -= std::min(checksumErrors, then.checksumErrors);
        since.skippedBytes -= std::min(skippedBytes, then.skippedBytes);
        if (driver && then.driver) since.driver = driver->Since(*then.driver);
        return since;
    }
};

// Two stretches of a line together; the driver's counts where either knew them.
inline LineHealth operator+(LineHealth a, const LineHealth& b) {
    a.frames += b.frames;
    a.checksumErrors += b.checksumErrors;
    a.skippedBytes += b.skippedBytes;
    if (b.driver) a.driver.emplace(a.driver.value_or(DriverErrors{})) += *b.driver;
    return a;
}

}  // namespace zorvane
