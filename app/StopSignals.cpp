#include "StopSignals.h"

namespace zorvane {

StopSignals::StopSignals(std::function<void()> onStop) {
    if (request_.WakeFd() < 0) return;  // out of descriptors: the signals end the program as before
    notifier_ = std::make_unique<QSocketNotifier>(request_.WakeFd(), QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated,
                     [this, onStop = std::move(onStop)] {
                         request_.Drain();
                         onStop();
                     });
}

}  // namespace zorvane
