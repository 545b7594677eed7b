#pragma once

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <deque>
#include <functional>

#include <gtest/gtest.h>

namespace zorvane::test {

// Plays the user at modal windows: each window that becomes modal gets the next step, in order.
// Polls from whatever event loop runs, the modal window's own included.
class ModalScript {
  public:
    using Step = std::function<void(QWidget&)>;

    ModalScript() {
        timer_.setInterval(2);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
        timer_.start();
    }
    ~ModalScript() {
        EXPECT_TRUE(steps_.empty()) << steps_.size() << " modal window(s) never came";
    }

    // A step for a window of class T; any other window fails the test and is dismissed.
    template <class T>
    ModalScript& Then(std::function<void(T&)> action) {
        steps_.push_back([action](QWidget& w) {
            auto* typed = qobject_cast<T*>(&w);
            if (typed == nullptr) {
                ADD_FAILURE() << "expected " << T::staticMetaObject.className() << ", got "
                              << w.metaObject()->className();
                Dismiss(w);
                return;
            }
            action(*typed);
        });
        return *this;
    }

  private:
    void Poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || !modal->isVisible() || modal == handled_) return;
        handled_ = modal;
        if (steps_.empty()) {
            ADD_FAILURE() << "unexpected modal " << modal->metaObject()->className();
            Dismiss(*modal);
            return;
        }
        Step step = std::move(steps_.front());
        steps_.pop_front();
        step(*modal);
    }
    static void Dismiss(QWidget& w) {
        if (auto* dialog = qobject_cast<QDialog*>(&w)) {
            dialog->reject();
        } else {
            w.close();
        }
    }

    QTimer timer_;
    std::deque<Step> steps_;
    QPointer<QWidget> handled_;
};

}  // namespace zorvane::test
