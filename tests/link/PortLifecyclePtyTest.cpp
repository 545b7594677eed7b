#include <fcntl.h>

#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <iostream>

#include <gtest/gtest.h>

#include "Frame.h"
#include "LinkTestSupport.h"
#include "PortDialog.h"
#include "PortLifecycle.h"
#include "PortName.h"
#include "UiTestSupport.h"

namespace zorvane {
namespace {

// Writes frame after frame into the master side, as fast as the terminal takes them.
class Transmitter {
  public:
    Transmitter(int master, const WireBytes& frame)
        : thread_([this, master, frame] {
              EXPECT_EQ(::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK), 0);
              for (std::size_t sent = 0; !stop_;) {
                  const ssize_t n = ::write(master, frame.data() + sent, frame.size() - sent);
                  if (n > 0) sent = (sent + static_cast<std::size_t>(n)) % frame.size();
                  if (n <= 0) std::this_thread::sleep_for(std::chrono::microseconds(200));
              }
          }) {}
    ~Transmitter() {
        stop_ = true;
        thread_.join();
    }

  private:
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// The real port: a pseudo-terminal linked as ./COM1, and the system opener.
class PortLifecyclePtyTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ZORVANE_REQUIRE_PTY(pty_);
        cwd_.Link("COM1", pty_.Slave());
        ASSERT_EQ(DevicePath("COM1"), "./COM1");  // guard: never /dev/ttyS0
    }
    void Open(PortLifecycle& lifecycle) {
        test::ModalScript script;
        script.Then<PortDialog>([](PortDialog& d) { d.findChild<QPushButton*>("OKBtn")->click(); });
        lifecycle.ChooseAndOpenPort();
        ASSERT_TRUE(lifecycle.PortOpen());
    }
    qint64 CloseTakes(PortLifecycle& lifecycle) {
        QElapsedTimer took;
        took.start();
        test::Deadline guard(std::chrono::seconds(5), "close procedure");
        lifecycle.Close();
        return took.elapsed();
    }

    test::TempCwd cwd_;
    test::PtyPair pty_;
    test::FakeHost host_;
    SystemPortOpener opener_;
    int ends_ = 0;
};

// Odd cycles close while the reader waits in the hand-off for a window that does not pump.
TEST_F(PortLifecyclePtyTest, FramesShowAndClosingWhileTheyStreamNeverHangs) {
    constexpr int kCycles = 40;
    Transmitter transmitter(pty_.Master(), EncodeFrame({{0xDE, 0xAD, 0xBE, 0xEF, 1, 5, 6, 7}}));
    qint64 slowest = 0;
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        pty_.SetTimeouts(3, 4);
        host_ = test::FakeHost{};
        PortLifecycle lifecycle(host_, opener_, [this] { ++ends_; });
        Open(lifecycle);
        ASSERT_TRUE(test::PumpUntil([&] { return host_.frames >= 1 + cycle % 5; })) << cycle;
        EXPECT_EQ(host_.lastFrame, (Frame{{0xDE, 0xAD, 0xBE, 0xEF, 1, 5, 6, 7}}));
        if (cycle % 2 == 1) QTest::qSleep(15);

        host_.closing = true;
        slowest = std::max(slowest, CloseTakes(lifecycle));
        QApplication::processEvents();
        EXPECT_EQ(host_.framesAfterClose, 0) << cycle;
        EXPECT_EQ(pty_.Settings().c_cc[VMIN], 3) << cycle;
        EXPECT_EQ(pty_.Settings().c_cc[VTIME], 4) << cycle;
    }
    // A hang would show in seconds; sanitizer builds on a busy machine take a few hundred ms.
    EXPECT_LT(slowest, 1000);
    EXPECT_EQ(ends_, 0);
    std::cout << "slowest close while streaming, " << kCycles << " cycles: " << slowest << " ms\n";
}

// Silent, the reader sees the stop after its current read; hung up, it wakes from its own wait.
TEST_F(PortLifecyclePtyTest, CloseOnASilentOrHungUpLineIsPrompt) {
    for (const bool hangUp : {false, true}) {
        PortLifecycle lifecycle(host_, opener_, [this] { ++ends_; });
        Open(lifecycle);
        if (hangUp) pty_.CloseMaster();
        QTest::qWait(150);
        const qint64 took = CloseTakes(lifecycle);
        EXPECT_LT(took, 250) << hangUp;
        std::cout << (hangUp ? "hung-up" : "silent") << " line: close took " << took << " ms\n";
    }
}

// Descriptors of this process open on `path`.
int OpenDescriptors(const std::string& path) {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code ignored;  // a descriptor closed meanwhile is simply not counted
        count += std::filesystem::read_symlink(entry.path(), ignored) == path;
    }
    return count;
}

// An unplugged adapter comes back as a new device behind the same COM1; a silent one is kept.
TEST_F(PortLifecyclePtyTest, ALostPortIsClosedAndOpenedAgainWhenItComesBack) {
    PortLifecycle lifecycle(host_, opener_, [this] { ++ends_; });
    Open(lifecycle);
    QTest::qWait(1500);  // silent but there: nothing is reopened
    EXPECT_TRUE(host_.waitingFor.empty());
    EXPECT_EQ(OpenDescriptors(pty_.Slave()), 1);
    {
        Transmitter transmitter(pty_.Master(), EncodeFrame({{1}}));
        ASSERT_TRUE(test::PumpUntil([&] { return host_.frames > 0; }));
    }
    const std::string oldSlave = pty_.Slave();
    pty_.CloseMaster();
    ASSERT_TRUE(test::PumpUntil([&] { return !host_.waitingFor.empty(); }));
    EXPECT_EQ(host_.waitingFor.back(), "./COM1 -> " + oldSlave);
    EXPECT_EQ(OpenDescriptors(oldSlave), 0);

    test::PtyPair replugged;
    std::filesystem::remove("COM1");
    cwd_.Link("COM1", replugged.Slave());
    Transmitter transmitter(replugged.Master(), EncodeFrame({{2}}));
    ASSERT_TRUE(test::PumpUntil([&] { return host_.lastFrame == Frame{{2}}; }, 2000));
    EXPECT_EQ(host_.waitingFor.back(), "");
    EXPECT_EQ(ends_, 0);
}

}  // namespace
}  // namespace zorvane
