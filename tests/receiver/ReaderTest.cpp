#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "Frame.h"
#include "HandOff.h"
#include "ReaderThread.h"
#include "UiTaskQueue.h"

using namespace zorvane;
using namespace std::chrono_literals;

namespace {

// Plays a script of bytes, then reads like an idle port (nothing after the time-out) or like a
// port that is gone (fails at once).
class ScriptedSource : public ByteSource {
  public:
    enum class AfterScript { Idle, FailAtOnce };
    explicit ScriptedSource(std::vector<std::uint8_t> bytes, AfterScript after = AfterScript::Idle)
        : bytes_(std::move(bytes)), after_(after) {}

    bool ReadByte(std::uint8_t& out) override {
        ++attempts;
        const std::size_t i = position.load();
        if (i < bytes_.size()) {
            out = bytes_[i];
            position = i + 1;
            return true;
        }
        if (after_ == AfterScript::Idle) std::this_thread::sleep_for(kReadTimeout);
        return false;
    }

    std::atomic<std::size_t> position{0};
    std::atomic<int> attempts{0};

  private:
    std::vector<std::uint8_t> bytes_;
    AfterScript after_;
};

std::vector<std::uint8_t> Frames(int count) {
    std::vector<std::uint8_t> out;
    for (int i = 0; i < count; ++i) {
        const auto n = static_cast<std::uint8_t>(i);
        const WireBytes w = EncodeFrame({{n, 0, 0, 0, 0x80, 0, 0, n}});
        out.insert(out.end(), w.begin(), w.end());
    }
    return out;
}

class Reader : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "reader-test";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<QCoreApplication>(argc, argv);
        queue_ = std::make_unique<UiTaskQueue>();
    }
    static void TearDownTestSuite() {
        queue_.reset();
        app_.reset();
    }

    // Runs queued calls on this (the test's) thread, standing in for the user-interface thread.
    static HandOff::Poster UiPoster() {
        return [](std::function<void()> fn) { queue_->Post(std::move(fn)); };
    }
    // Pumps events until `done` or the deadline; false on time-out.
    template <typename Pred>
    static bool PumpUntil(Pred done, std::chrono::milliseconds limit = 5000ms) {
        QElapsedTimer t;
        t.start();
        while (!done()) {
            if (t.elapsed() > limit.count()) return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        return true;
    }

    static std::unique_ptr<QCoreApplication> app_;
    static std::unique_ptr<UiTaskQueue> queue_;
};
std::unique_ptr<QCoreApplication> Reader::app_;
std::unique_ptr<UiTaskQueue> Reader::queue_;

TEST_F(Reader, ShowsEveryFrameInOrderOnTheUiThreadWhileTheReaderWaits) {
    constexpr int kFrames = 200;
    ScriptedSource source(Frames(kFrames));
    HandOff handOff(UiPoster());
    std::vector<std::uint8_t> shown;
    std::vector<std::string> lines;
    bool blocked = true, onUiThread = true;
    {
        ReaderThread reader(source, handOff, [&](const Frame& frame, const std::string& line) {
            const std::size_t before = source.position;
            std::this_thread::sleep_for(100us);
            blocked = blocked && source.position == before;
            onUiThread = onUiThread && QThread::currentThread() == app_->thread();
            shown.push_back(frame.data[0]);
            lines.push_back(line);
        });
        ASSERT_TRUE(PumpUntil([&] { return shown.size() == kFrames; }));
        reader.RequestStop();
        handOff.Cancel();
    }
    EXPECT_TRUE(blocked) << "the reader must wait until ShowFrame has returned";
    EXPECT_TRUE(onUiThread);
    for (int i = 0; i < kFrames; ++i) {
        ASSERT_EQ(shown[i], static_cast<std::uint8_t>(i)) << "frames out of order";
        ASSERT_EQ(lines[i], "rd:1 bfcnt:9 prijem:1 faze2:1 prijem2:1 PLCerr:0");
    }
}

TEST_F(Reader, CancelReleasesAReaderBlockedInTheHandOff) {
    ScriptedSource source(Frames(3));
    HandOff handOff(UiPoster());
    std::atomic<int> shows{0};
    ReaderThread reader(source, handOff, [&](const Frame&, const std::string&) { ++shows; });
    // The UI thread is not pumping: the reader is stuck in the first hand-off.
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(source.position, 12u);
    reader.RequestStop();
    const auto started = std::chrono::steady_clock::now();
    handOff.Cancel();
    EXPECT_TRUE(reader.WaitUntilEnded(250ms));
    EXPECT_LT(std::chrono::steady_clock::now() - started, 100ms)
        << "released at once, not after a read";
    PumpUntil([] { return false; }, 50ms);  // the stale queued call must not run
    EXPECT_EQ(shows, 0);
}

TEST_F(Reader, NoHandOffRunsAfterCancel) {
    ScriptedSource source(Frames(50));
    HandOff handOff(UiPoster());
    handOff.Cancel();
    std::atomic<int> shows{0};
    ReaderThread reader(source, handOff, [&](const Frame&, const std::string&) { ++shows; });
    PumpUntil([&] { return source.position == 600; }, 2000ms);
    PumpUntil([] { return false; }, 20ms);
    EXPECT_EQ(shows, 0);
}

TEST_F(Reader, StopsWithinOneReadTimeoutWhenIdle) {
    ScriptedSource source({});
    HandOff handOff(UiPoster());
    ReaderThread reader(source, handOff, [](const Frame&, const std::string&) {});
    std::this_thread::sleep_for(30ms);
    const auto started = std::chrono::steady_clock::now();
    reader.RequestStop();
    EXPECT_TRUE(reader.WaitUntilEnded(250ms));
    EXPECT_LE(std::chrono::steady_clock::now() - started, kReadTimeout + 100ms);
}

TEST_F(Reader, AFailingPortIsRetriedOncePerReadTimeoutNotInALoop) {
    ScriptedSource source({}, ScriptedSource::AfterScript::FailAtOnce);
    HandOff handOff(UiPoster());
    {
        ReaderThread reader(source, handOff, [](const Frame&, const std::string&) {});
        std::this_thread::sleep_for(1s);
        const auto started = std::chrono::steady_clock::now();
        reader.RequestStop();
        EXPECT_TRUE(reader.WaitUntilEnded(80ms)) << "the padding wait must end on a stop request";
        EXPECT_LT(std::chrono::steady_clock::now() - started, 80ms);
    }
    // One attempt per time-out: 10 in a second (fewer on a slow machine), never a spin.
    EXPECT_GE(source.attempts, 5);
    EXPECT_LE(source.attempts, 11);
}

TEST_F(Reader, DestructorStopsAndJoinsARunningReader) {
    ScriptedSource source({});
    HandOff handOff(UiPoster());
    const auto started = std::chrono::steady_clock::now();
    {
        ReaderThread reader(source, handOff, [](const Frame&, const std::string&) {});
    }
    EXPECT_LT(std::chrono::steady_clock::now() - started, kReadTimeout + 50ms);
}

}  // namespace
