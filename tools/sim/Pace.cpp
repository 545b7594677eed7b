#include "Pace.h"

namespace zorvane::sim {

namespace {
// Products of a slot number and nanoseconds overflow 64 bits within hours.
__extension__ using Wide = unsigned __int128;
constexpr Wide kNanosPerSecond = 1'000'000'000;
}  // namespace

Nanos Pace::Offset(std::uint64_t slot) const {
    const Wide ns = Wide{slot} * seconds_ * kNanosPerSecond / frames_;
    return Nanos(static_cast<Nanos::rep>(ns));
}

std::uint64_t Pace::SlotAtOrAfter(Nanos t) const {
    if (t.count() <= 0) return 0;
    const Wide num = Wide{static_cast<std::uint64_t>(t.count())} * frames_;
    const Wide den = Wide{seconds_} * kNanosPerSecond;
    std::uint64_t slot = static_cast<std::uint64_t>((num + den - 1) / den);
    // Offsets round down, so the slot before may still start at t.
    while (slot > 0 && Offset(slot - 1) >= t)
        --slot;
    while (Offset(slot) < t)
        ++slot;
    return slot;
}

}  // namespace zorvane::sim
