#include <QThread>
#include <algorithm>
#include <random>

#include "ReaderThread.h"
#include "Support.h"
#include "UiTaskQueue.h"

namespace zorvane {
namespace {

using namespace std::chrono_literals;

constexpr auto kReadTimeout = 100ms;  // as the port's

// Plays its bytes, then reads like an idle port (nothing for a time-out) or a gone one (fails).
struct ScriptedPort : ByteSource {
    bool ReadByte(std::uint8_t& out) override {
        ++reads;
        if (next < bytes.size()) return out = bytes[next++], true;
        if (!gone) std::this_thread::sleep_for(kReadTimeout);
        return false;
    }
    std::vector<std::uint8_t> bytes;
    bool gone = false;
    std::atomic<std::size_t> next{0};
    std::atomic<int> reads{0};
};

// A reader whose hand-offs run on this thread, as they do on the window's.
struct Reader {
    explicit Reader(ByteSource& port)
        : thread(port, kReadTimeout, handOff, [this](auto& f, auto& s) { show(f, s); }) {}
    ~Reader() {
        thread.RequestStop();
        handOff.Cancel();
    }
    UiTaskQueue queue;
    HandOff handOff{[this](std::function<void()> task) { queue.Post(std::move(task)); }};
    ReaderThread::FrameHandler show = [](auto&, auto&) {};
    ReaderThread thread;
};

TEST(Reader, ShowsEveryFrameInOrderOnTheWindowThreadWhileTheReaderWaits) {
    std::mt19937 rng(7);
    std::vector<Frame> sent(100), shown;
    ScriptedPort port;
    for (Frame& frame : sent) {
        std::ranges::generate(frame.data, std::ref(rng));
        const WireBytes wire = EncodeFrame(frame);
        port.bytes.insert(port.bytes.end(), wire.begin(), wire.end());
    }
    Reader reader(port);
    reader.show = [&](const Frame& frame, const std::string& status) {
        const std::size_t next = port.next;
        std::this_thread::sleep_for(50us);
        EXPECT_EQ(port.next, next) << "the reader must wait while a frame is shown";
        EXPECT_EQ(QThread::currentThread(), qApp->thread());
        EXPECT_EQ(status, "rd:1 bfcnt:9 prijem:1 faze2:1 prijem2:1 PLCerr:0");
        shown.push_back(frame);
    };
    ASSERT_TRUE(test::WaitUntil([&] { return shown.size() == sent.size(); }));
    EXPECT_EQ(shown, sent);
}

// Stopped and cancelled, a reader ends within a read time-out wherever it waits: in a hand-off
// (whose stale task then never runs), in a read, or between the reads of a port that is gone,
// which it tries once a time-out, never in a loop.
TEST(Reader, EndsPromptlyWhereverItWaitsAndNeverSpinsOnAGonePort) {
    const WireBytes frame = EncodeFrame({});
    const std::pair<std::vector<std::uint8_t>, bool> cases[] = {
        {{frame.begin(), frame.end()}, false}, {{}, false}, {{}, true}};
    for (const auto& [bytes, gone] : cases) {
        ScriptedPort port;
        port.bytes = bytes;
        port.gone = gone;
        const auto started = std::chrono::steady_clock::now();
        Reader reader(port);
        int shown = 0;
        reader.show = [&](auto&, auto&) { ++shown; };
        std::this_thread::sleep_for(1s);  // not pumping: a frame would wait in the hand-off
        const auto stopped = std::chrono::steady_clock::now();
        reader.thread.RequestStop();
        reader.handOff.Cancel();
        EXPECT_TRUE(reader.thread.WaitUntilEnded(5s)) << gone;
        EXPECT_LT(std::chrono::steady_clock::now() - stopped, kReadTimeout + 400ms) << gone;
        EXPECT_GE(port.reads, bytes.empty() ? 3 : 12) << gone;
        const auto elapsed = std::chrono::steady_clock::now() - started;
        EXPECT_LE(port.reads, bytes.size() + elapsed / kReadTimeout + 1) << "one a time-out";
        QTest::qWait(50);
        EXPECT_EQ(shown, 0);
    }
}

}  // namespace
}  // namespace zorvane
