#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "Frame.h"
#include "LineHealth.h"
#include "LineTiming.h"

namespace zorvane {

// What the lamps, the link indicator and the port did, told in the order it happened (times
// never go back). Text to print goes to `out`.
class Timeline {
  public:
    virtual ~Timeline() = default;
    // Before anything else: the local time the input began, or nothing when it is not known.
    virtual void Begin(std::string_view /*date*/) {}
    // The lamps show the frame, and the link is up.
    virtual void Frame(Micros at, const zorvane::Frame& frame, std::string& out) = 0;
    virtual void LinkDown(Micros /*at*/, std::string& /*out*/) {}
    virtual void Port(Micros /*at*/, bool /*open*/, std::string& /*out*/) {}
    // Lines were lost from `at` on: what the lamps did is not known until the next frame.
    virtual void Gap(Micros /*at*/, std::string& /*out*/) {}
    // Nothing happened before `at` that has not been told.
    virtual void Idle(Micros /*at*/, std::string& /*out*/) {}
    // The line's health so far: the latest told stands.
    virtual void Health(const LineHealth& /*health*/) {}
    // The input ended at `at`.
    virtual void End(Micros at, std::string& out) = 0;
};

// Tells two timelines the same.
class TimelinePair final : public Timeline {
  public:
    TimelinePair(Timeline& first, Timeline& second) : first_(first), second_(second) {}

    void Begin(std::string_view date) override {
        first_.Begin(date);
        second_.Begin(date);
    }
    void Frame(Micros at, const zorvane::Frame& frame, std::string& out) override {
        first_.Frame(at, frame, out);
        second_.Frame(at, frame, out);
    }
    void LinkDown(Micros at, std::string& out) override {
        first_.LinkDown(at, out);
        second_.LinkDown(at, out);
    }
    void Port(Micros at, bool open, std::string& out) override {
        first_.Port(at, open, out);
        second_.Port(at, open, out);
    }
    void Gap(Micros at, std::string& out) override {
        first_.Gap(at, out);
        second_.Gap(at, out);
    }
    void Idle(Micros at, std::string& out) override {
        first_.Idle(at, out);
        second_.Idle(at, out);
    }
    void Health(const LineHealth& health) override {
        first_.Health(health);
        second_.Health(health);
    }
    void End(Micros at, std::string& out) override {
        first_.End(at, out);
        second_.End(at, out);
    }

  private:
    Timeline& first_;
    Timeline& second_;
};

}  // namespace zorvane
