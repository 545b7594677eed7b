#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include <gtest/gtest.h>

#include "PortHost.h"
#include "PortOpener.h"
#include "ReaderThread.h"
#include "ToolkitTranslation.h"

namespace zorvane::test {

// One application object for the test program, made after gtest has read its flags.
class QtEnvironment : public ::testing::Environment {
    void SetUp() override {
        // Runs without a display also when started by hand.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        // A Czech user's desktop: the question's own buttons must speak Czech too.
        qputenv("LANG", "cs_CZ.UTF-8");
        qunsetenv("LC_ALL");
        qunsetenv("LC_MESSAGES");
        app_ = std::make_unique<QApplication>(argc_, argv_);
        InstallToolkitTranslation(*app_);
    }
    void TearDown() override { app_.reset(); }

    int argc_ = 1;
    char name_[8] = "link_ui";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> app_;
};
inline ::testing::Environment* const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

inline bool PumpUntil(const std::function<bool()>& done, int ms = 3000) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    return done();
}

// Aborts with a message when the scope outlives its limit: a deadlocked shutdown fails at once.
class Deadline {
  public:
    Deadline(std::chrono::milliseconds limit, const char* what)
        : thread_([this, limit, what] {
              std::unique_lock lock(mutex_);
              if (changed_.wait_for(lock, limit, [this] { return done_; })) return;
              std::fprintf(stderr, "deadline passed: %s\n", what);
              std::abort();
          }) {}
    ~Deadline() {
        std::unique_lock lock(mutex_);
        done_ = true;
        changed_.notify_all();
        lock.unlock();
        thread_.join();
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool done_ = false;
    std::thread thread_;  // last: starts once the rest exists
};

// Plays the user: each window that becomes modal gets the next step, in order.
class ModalScript {
  public:
    ModalScript() {
        QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
        timer_.start(2);
    }
    ~ModalScript() {
        EXPECT_TRUE(steps_.empty()) << steps_.size() << " modal window(s) never came";
    }

    template <class T>
    ModalScript& Then(std::function<void(T&)> act) {
        steps_.push_back([act](QWidget& w) {
            if (auto* typed = qobject_cast<T*>(&w)) return act(*typed);
            ADD_FAILURE() << "unexpected " << w.metaObject()->className();
            w.close();
        });
        return *this;
    }

  private:
    void Poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || modal == handled_) return;
        handled_ = modal;
        if (steps_.empty()) {
            ADD_FAILURE() << "unexpected " << modal->metaObject()->className();
            modal->close();
            return;
        }
        auto step = std::move(steps_.front());
        steps_.pop_front();
        step(*modal);
    }

    QTimer timer_;
    std::deque<std::function<void(QWidget&)>> steps_;
    QPointer<QWidget> handled_;
};

// The main window as the lifecycle sees it.
class FakeHost : public PortHost {
  public:
    void ChooseAnotherPortLater() override { log.push_back("choose again"); }
    void ShowPortWaiting(const std::string& device) override { waitingFor.push_back(device); }
    void ShowFrame(const Frame& frame, const std::string&) override {
        ++frames;
        lastFrame = frame;
        framesAfterClose += closing;
    }
    QWidget* DialogParent() override { return nullptr; }

    std::vector<std::string> log;
    std::vector<std::string> waitingFor;
    int frames = 0;
    Frame lastFrame{};
    bool closing = false;  // set by a test as the close procedure starts
    int framesAfterClose = 0;
};

// A port that repeats its bytes forever (or stays silent without any) and notes whether it was
// closed under a read.
class FakePort : public ByteSource {
  public:
    FakePort(std::vector<std::uint8_t> bytes, std::shared_ptr<std::atomic<int>> closedUnderRead)
        : bytes_(std::move(bytes)), closedUnderRead_(std::move(closedUnderRead)) {}
    ~FakePort() override { *closedUnderRead_ += reading_.load(); }
    bool ReadByte(std::uint8_t& out) override {
        ++reading_;
        std::this_thread::sleep_for(std::chrono::microseconds(200));  // mostly inside a read
        const bool got = !bytes_.empty();
        if (got) out = bytes_[next_++ % bytes_.size()];
        --reading_;
        return got;
    }

  private:
    std::vector<std::uint8_t> bytes_;
    std::size_t next_ = 0;
    std::atomic<int> reading_{0};
    std::shared_ptr<std::atomic<int>> closedUnderRead_;
};

// Notes the names asked for; fails with `failure` unless it has bytes to serve.
class FakeOpener : public PortOpener {
  public:
    PortOpenResult Open(const std::string& portName, ReconnectingPort::Listener) override {
        asked.push_back(portName);
        if (!bytes) return {nullptr, failure};
        return {std::make_unique<FakePort>(*bytes, closedUnderRead), {}};
    }

    std::vector<std::string> asked;
    OpenError failure{PortError::NotFound, "./COM1 -> /dev/gone", 0};
    std::optional<std::vector<std::uint8_t>> bytes;
    std::shared_ptr<std::atomic<int>> closedUnderRead = std::make_shared<std::atomic<int>>(0);
};

}  // namespace zorvane::test
