#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <chrono>
#include <functional>

class QWidget;

namespace zorvane {

// Lets a window's pixels reach the screen at most once a display refresh. Qt posts one update
// request per dirty top-level window and no other until that one is handled, so holding it back
// merges every change made meanwhile into one paint.
class RepaintPacer : public QObject {
  public:
    static constexpr std::chrono::milliseconds kRefresh{16};
    // A frame comes every 2.3 ms at the line rate, so a held paint waits this much longer for
    // one to release it before the timer does (a timer would wake the thread once more).
    static constexpr std::chrono::milliseconds kFrameSlack{4};

    // `beforePaint` runs just before each paint is let go: it puts on the window what changed
    // since the last one.
    RepaintPacer(QWidget* window, std::function<void()> beforePaint);

    // Something the window shows changed: a paint follows once the display is due for one.
    // Cheap when one is already asked for.
    void Request();
    // Runs after each frame is shown: a paint held back for a full refresh is let go now.
    void FrameShown();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool Due() const;
    void Hold();
    void Post();
    void Release();

    QWidget* window_;
    std::function<void()> beforePaint_;
    QElapsedTimer sincePaint_;
    QTimer releaseTimer_;     // for a held paint when no frame follows
    bool requested_ = false;  // an update request is on its way or held
    bool held_ = false;
};

}  // namespace zorvane
