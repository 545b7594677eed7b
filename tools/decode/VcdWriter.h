#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "ChangeLog.h"
#include "Timeline.h"

namespace zorvane {

// The module the dump's signals are in.
inline constexpr const char* kVcdScope = "zorvane";

// A timeline as a Value Change Dump (IEEE 1364): one-bit signals for the 64 lamps (named by
// SignalName), `link` (1 up, 0 down; down until the first frame) and `port` (1 open, 0 lost),
// in microseconds. Changes are written once their time has passed, one per line as GTKWave's
// vcd2fst wants; End closes the dump with a time after the last change, without which sigrok
// drops the last changes. A signal that changes twice at one time keeps both changes, the
// second a microsecond later, so no pulse disappears.
class VcdWriter final : public Timeline {
  public:
    explicit VcdWriter(const LampCaptions& captions);

    void Begin(std::string_view date) override { date_ = date; }
    void Frame(Micros at, const zorvane::Frame& frame, std::string& out) override;
    void LinkDown(Micros at, std::string& out) override { Set(kLink, false, at, out); }
    void Port(Micros at, bool open, std::string& out) override { Set(kPort, open, at, out); }
    void Idle(Micros at, std::string& out) override { AdvanceTo(at, out); }
    void End(Micros at, std::string& out) override;
    // The time of the latest change, or of the end once it is written.
    Micros Now() const { return now_; }

  private:
    static constexpr int kLink = kLampCount;
    static constexpr int kPort = kLampCount + 1;
    static constexpr int kSignals = kLampCount + 2;
    enum class Written : std::uint8_t { Nothing, Zero, One };

    void Set(int signal, bool value, Micros at, std::string& out);
    // Writes the changes of the present time once `at` is later.
    void AdvanceTo(Micros at, std::string& out);
    void WriteChanges(std::string& out);
    void WriteHeader(std::string& out) const;

    std::array<std::string, kSignals> names_;
    std::array<bool, kSignals> value_{};
    std::array<Written, kSignals> written_{};
    Micros now_ = 0;
    std::string date_;
};

}  // namespace zorvane
