#include "RepaintPacer.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

namespace zorvane {

RepaintPacer::RepaintPacer(QWidget* window, std::function<void()> beforePaint)
    : QObject(window), window_(window), beforePaint_(std::move(beforePaint)) {
    connect(&releaseTimer_, &QTimer::timeout, this, &RepaintPacer::Release);
    window->installEventFilter(this);
}

void RepaintPacer::FrameShown() {
    if (held_ && Due()) Release();
}

bool RepaintPacer::eventFilter(QObject* watched, QEvent* event) {
    if (watched != window_ || event->type() != QEvent::UpdateRequest) return false;
    if (Due()) {
        sincePaint_.start();
        beforePaint_();
        return false;  // paint now
    }
    if (!held_) {
        held_ = true;
        const auto left = kRefresh - std::chrono::milliseconds(sincePaint_.elapsed());
        releaseTimer_.start(left + kFrameSlack);
    }
    return true;
}

bool RepaintPacer::Due() const {
    return !sincePaint_.isValid() || sincePaint_.elapsed() >= kRefresh.count();
}

void RepaintPacer::Release() {
    held_ = false;
    releaseTimer_.stop();  // one shot, whether a frame or the timer let the paint go
    // Handled after the current frame's hand-off returns, like the request Qt itself posts.
    QCoreApplication::postEvent(window_, new QEvent(QEvent::UpdateRequest), Qt::LowEventPriority);
}

}  // namespace zorvane
