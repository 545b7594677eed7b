#include "EventWait.h"

#include <QEventLoop>
#include <QTimer>

namespace zorvane::bench {

namespace {
constexpr int kCheckEveryMs = 2;
}

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    if (done()) return true;
    QEventLoop loop;
    QTimer check;
    check.setInterval(kCheckEveryMs);
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done()) loop.quit();
    });
    QTimer::singleShot(limit, &loop, &QEventLoop::quit);
    check.start();
    loop.exec();
    return done();
}

void RunFor(std::chrono::milliseconds duration) {
    QEventLoop loop;
    QTimer::singleShot(duration, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace zorvane::bench
