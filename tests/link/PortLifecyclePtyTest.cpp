#include <fcntl.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>
#include <atomic>
#include <iostream>
#include <thread>

#include <gtest/gtest.h>

#include "Deadline.h"
#include "LifecycleFakes.h"
#include "ModalScript.h"
#include "PortGlobals.h"
#include "PortLifecycle.h"
#include "PortName.h"
#include "PtyPair.h"
#include "TOKRightDlg.h"
#include "TempCwd.h"

namespace zorvane {
namespace {

// Sends one frame after another into the master side, as fast as the terminal takes them.
class Transmitter {
  public:
    Transmitter(int master, const WireFrame& frame) : master_(master), frame_(frame) {
        const int flags = ::fcntl(master, F_GETFL);
        EXPECT_EQ(::fcntl(master, F_SETFL, flags | O_NONBLOCK),
                  0);  // a full buffer never blocks us
        thread_ = std::thread([this] { Run(); });
    }
    ~Transmitter() {
        stop_ = true;
        thread_.join();
    }

  private:
    void Run() {
        std::size_t sent = 0;
        while (!stop_) {
            const ssize_t n = ::write(master_, frame_.data() + sent, frame_.size() - sent);
            if (n > 0) {
                sent = (sent + static_cast<std::size_t>(n)) % frame_.size();
            } else {
                std::this_thread::sleep_for(std::chrono::microseconds(200));  // full: let it drain
            }
        }
    }

    int master_;
    WireFrame frame_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// The real port: a pseudo-terminal linked as ./COM1 and the system opener.
class PortLifecyclePtyTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ZORVANE_REQUIRE_PTY(pty_);
        cwd_.Link("COM1", pty_.Slave());
        ASSERT_EQ(DevicePath("COM1"), "./COM1");  // guard: never /dev/ttyS0
        PortChoice = 1;
        CancelPressed = false;
    }
    // Runs the port procedure, pressing OK in the dialog.
    void OpenCom1(PortLifecycle& lifecycle) {
        test::ModalScript script;
        script.Then<TOKRightDlg>([](TOKRightDlg& d) { d.OKBtn->click(); });
        lifecycle.PortProcedure();
        ASSERT_TRUE(lifecycle.PortOpen());
    }
    static bool PumpUntil(const std::function<bool()>& done, int ms = 3000) {
        QElapsedTimer timer;
        timer.start();
        while (!done() && timer.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        return done();
    }

    test::TempCwd cwd_;
    test::PtyPair pty_;
    test::FakeHost host_;
    SystemPortOpener opener_;
    int ends_ = 0;
};

TEST_F(PortLifecyclePtyTest, FramesFromTheLineReachTheWindow) {
    pty_.SetTimeouts(5, 9);
    PortLifecycle lifecycle(host_, opener_, [this] { ++ends_; });
    OpenCom1(lifecycle);
    {
        const WireFrame frame = EncodeFrame({0xDE, 0xAD, 0xBE, 0xEF, 0x01}, {0x5A, 0xA5, 0x0F});
        Transmitter transmitter(pty_.Master(), frame);
        ASSERT_TRUE(PumpUntil([&] { return host_.frames >= 3; }));
        const Frame& shown = host_.lastFrame;
        EXPECT_EQ(std::vector<std::uint8_t>(shown.begin(), shown.begin() + 5),
                  std::vector<std::uint8_t>({0xDE, 0xAD, 0xBE, 0xEF, 0x01}));
        EXPECT_EQ(std::vector<std::uint8_t>(shown.begin() + 8, shown.begin() + 11),
                  std::vector<std::uint8_t>({0x5A, 0xA5, 0x0F}));
        lifecycle.CloseProcedure();
    }
    EXPECT_EQ(pty_.Settings().c_cc[VMIN], 5);
    EXPECT_EQ(pty_.Settings().c_cc[VTIME], 9);
    EXPECT_EQ(ends_, 0);
}

// Half the cycles close while the window pumps events, half while the reader sits in the
// hand-off waiting for a window that does not answer.
TEST_F(PortLifecyclePtyTest, ClosingWhileFramesStreamNeverHangsManyTimes) {
    constexpr int kCycles = 40;
    const WireFrame frame = EncodeFrame({1, 2, 3, 4, 5}, {6, 7, 8});
    Transmitter transmitter(pty_.Master(), frame);
    qint64 slowest = 0;
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        pty_.SetTimeouts(3, 4);
        host_ = test::FakeHost{};
        PortLifecycle lifecycle(host_, opener_, [this] { ++ends_; });
        OpenCom1(lifecycle);
        ASSERT_TRUE(PumpUntil([&] { return host_.frames >= 1 + cycle % 5; })) << cycle;
        if (cycle % 2 == 1) QTest::qSleep(15);

        host_.closing = true;
        QElapsedTimer took;
        took.start();
        {
            test::Deadline guard(std::chrono::seconds(5), "close procedure while frames stream");
            lifecycle.CloseProcedure();
        }
        slowest = std::max(slowest, took.elapsed());
        QCoreApplication::processEvents();
        EXPECT_EQ(host_.framesAfterClose, 0) << cycle;
        EXPECT_EQ(pty_.Settings().c_cc[VMIN], 3) << cycle;
        EXPECT_EQ(pty_.Settings().c_cc[VTIME], 4) << cycle;
    }
    EXPECT_LT(slowest, 250);
    std::cout << "slowest close procedure over " << kCycles << " cycles: " << slowest << " ms\n";
}

// Silent, the reader notices the stop after its current read; hung up, it is waiting out a
// time-out of its own and wakes at once.
TEST_F(PortLifecyclePtyTest, CloseOnASilentOrHungUpLineIsPrompt) {
    for (const bool hangUp : {false, true}) {
        PortLifecycle lifecycle(host_, opener_, [this] { ++ends_; });
        OpenCom1(lifecycle);
        if (hangUp) pty_.CloseMaster();
        QTest::qWait(150);
        QElapsedTimer took;
        took.start();
        {
            test::Deadline guard(std::chrono::seconds(5), "close procedure on a quiet line");
            lifecycle.CloseProcedure();
        }
        EXPECT_LT(took.elapsed(), 250) << hangUp;
        EXPECT_FALSE(lifecycle.PortOpen());
        std::cout << (hangUp ? "hung-up" : "silent") << " line: close took " << took.elapsed()
                  << " ms\n";
    }
}

}  // namespace
}  // namespace zorvane
