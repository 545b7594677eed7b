#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>

#include "MonitorView.h"

namespace zorvane::bench {

// The main window as the controller sees it, with every ShowFrame counted and its frame checked
// against the numbered stream (CounterFrames.h). Everything but the counters is the real
// window's.
class FrameTally final : public MonitorView {
  public:
    struct Counts {
        std::uint64_t shown = 0;    // ShowFrame calls
        std::uint64_t inOrder = 0;  // intact frames, each numbered after the one before
        std::uint64_t skipped = 0;  // numbers jumped over
        std::uint64_t bad = 0;      // damaged frames, repeats and steps back
        std::uint64_t afterClose = 0;
        std::chrono::nanoseconds showTime{0};  // spent inside the window's ShowFrame
        std::chrono::steady_clock::time_point lastShown{};
    };

    explicit FrameTally(MonitorView& window) : window_(window) {}

    void ShowFrame(const LineEvent& frame) override;
    void ShowLinkDown() override { window_.ShowLinkDown(); }
    void ShowLineHealth(const LineHealth& health) override { window_.ShowLineHealth(health); }
    void ShowPortWaiting(const std::string& device) override { window_.ShowPortWaiting(device); }
    void ShowOpenPort(const std::string& name) override { window_.ShowOpenPort(name); }
    void ChooseAnotherPortLater() override { window_.ChooseAnotherPortLater(); }
    QWidget* DialogParent() override { return window_.DialogParent(); }
    void ShowRecordTrouble(const std::string& trouble) override {
        window_.ShowRecordTrouble(trouble);
    }
    ShownNames NamesShown() const override { return window_.NamesShown(); }

    // User-interface thread only.
    Counts Snapshot() const { return counts_; }
    // The number the next frame should carry (a sender starting a new numbered run).
    void ExpectNext(std::uint64_t n) { next_ = n; }
    std::uint64_t NextExpected() const { return next_; }
    void MarkClosed() { closed_ = true; }

    // Any thread: how many frames have been shown so far, and when the last ShowFrame returned.
    std::uint64_t ShownSoFar() const { return shownSoFar_.load(std::memory_order_acquire); }
    std::chrono::steady_clock::time_point LastShownAt() const {
        return std::chrono::steady_clock::time_point(
            std::chrono::steady_clock::duration(lastShownAt_.load(std::memory_order_acquire)));
    }

  private:
    void Check(std::uint64_t n, bool intact);

    MonitorView& window_;
    Counts counts_;
    std::uint64_t next_ = 0;
    bool closed_ = false;
    std::atomic<std::uint64_t> shownSoFar_{0};
    std::atomic<std::chrono::steady_clock::rep> lastShownAt_{0};
};

}  // namespace zorvane::bench
