#include "FrameTally.h"

#include <QFile>

#include "CounterFrames.h"
#include "MainWindow.h"

namespace zorvane::bench {

void FrameTally::ShowPortWaiting(const std::string& device) {
    window_.ShowPortWaiting(QString::fromStdString(device));
}

void FrameTally::ShowOpenPort(const std::string& name) {
    window_.ShowOpenPort(QString::fromStdString(name));
}

void FrameTally::ChooseAnotherPortLater() {
    window_.ChooseAnotherPortLater();
}

QWidget* FrameTally::DialogParent() {
    return &window_;
}

void FrameTally::ShowRecordTrouble(const std::string& trouble) {
    window_.ShowRecordTrouble(QString::fromStdString(trouble));
}

PortHost::ShownNames FrameTally::NamesShown() const {
    const auto& names = window_.Names();
    return {QFile::encodeName(window_.NamesFile()).toStdString(),
            names ? CaptionsBesideLamps(*names) : LampCaptions{}};
}

void FrameTally::ShowFrame(const Frame& frame, const std::string& statusLine) {
    const auto started = std::chrono::steady_clock::now();
    window_.ShowFrame(frame, statusLine);
    counts_.lastShown = std::chrono::steady_clock::now();
    counts_.showTime += counts_.lastShown - started;
    ++counts_.shown;
    if (closed_) ++counts_.afterClose;
    const auto n = CounterOf(frame);
    Check(n.value_or(0), n.has_value());
    lastShownAt_.store(counts_.lastShown.time_since_epoch().count(), std::memory_order_release);
    shownSoFar_.fetch_add(1, std::memory_order_release);
}

void FrameTally::Check(std::uint64_t n, bool intact) {
    if (!intact || n < next_) {
        ++counts_.bad;
        return;
    }
    counts_.skipped += n - next_;
    ++counts_.inOrder;
    next_ = n + 1;
}

}  // namespace zorvane::bench
