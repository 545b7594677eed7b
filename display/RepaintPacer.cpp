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

void RepaintPacer::Request() {
    if (requested_) return;
    requested_ = true;
    // Posted only once due: a request held back would cost the thread a second wake-up.
    if (Due())
        Post();
    else
        Hold();
}

void RepaintPacer::FrameShown() {
    if (held_ && Due()) Release();
}

bool RepaintPacer::eventFilter(QObject* watched, QEvent* event) {
    if (watched != window_ || event->type() != QEvent::UpdateRequest) return false;
    if (Due()) {
        sincePaint_.start();
        requested_ = false;
        held_ = false;
        releaseTimer_.stop();
        beforePaint_();
        // The paint that follows draws everything marked until now: a request the marking
        // posted would only wake the thread for nothing.
        QCoreApplication::removePostedEvents(window_, QEvent::UpdateRequest);
        return false;  // paint now
    }
    Hold();
    return true;
}

void RepaintPacer::Hold() {
    if (held_) return;
    held_ = true;
    const auto left = kRefresh - std::chrono::milliseconds(sincePaint_.elapsed());
    releaseTimer_.start(left + kFrameSlack);
}

bool RepaintPacer::Due() const {
    return !sincePaint_.isValid() || sincePaint_.elapsed() >= kRefresh.count();
}

void RepaintPacer::Post() {
    // Handled after the current frame's hand-off returns, like the request Qt itself posts.
    QCoreApplication::postEvent(window_, new QEvent(QEvent::UpdateRequest), Qt::LowEventPriority);
}

void RepaintPacer::Release() {
    held_ = false;
    releaseTimer_.stop();  // one shot, whether a frame or the timer let the paint go
    Post();
}

}  // namespace zorvane
