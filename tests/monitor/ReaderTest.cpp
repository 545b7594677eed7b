#include <QThread>
#include <algorithm>
#include <random>

#include "ReaderThread.h"
#include "Support.h"
#include "UiTaskQueue.h"

namespace zorvane {
namespace {

using namespace std::chrono_literals;

using test::Wire;

constexpr auto kReadTimeout = 100ms;  // as the port's

// Plays its reads, then reads like an idle port (nothing for a time-out) or a gone one (fails).
struct ScriptedPort : ByteSource {
    std::span<const std::uint8_t> Read() override {
        ++reads;
        if (next < script.size()) return script[next++];
        if (!gone) std::this_thread::sleep_for(kReadTimeout);
        return {};
    }
    void AwaitBytes(std::chrono::milliseconds limit) override {
        if (next == script.size() && !gone) std::this_thread::sleep_for(limit);
    }
    std::vector<std::vector<std::uint8_t>> script;  // what each read brings
    bool gone = false;
    std::atomic<std::size_t> next{0};
    std::atomic<int> reads{0};
};

// A reader whose hand-offs run on this thread, as they do on the window's.
struct Reader {
    explicit Reader(ByteSource& port)
        : thread(port, kReadTimeout, line, handOff, [this](auto& e) { show(e); }) {}
    ~Reader() {
        thread.RequestStop();
        handOff.Cancel();
    }
    UiTaskQueue queue;
    std::atomic<int> visits{0};  // hand-offs posted to this thread
    HandOff handOff{[this](std::function<void()> task) {
        ++visits;
        queue.Post(std::move(task));
    }};
    ReaderThread::EventHandler show = [](auto&) {};
    LineCore line;
    ReaderThread thread;
};

// Reads bring anything from part of a frame to several: the frames one read completes go over
// in one visit of the window's thread, each shown with its own status line while the reader
// waits for all of them.
TEST(Reader, ShowsEveryFrameInOrderOnTheWindowThreadWhileTheReaderWaits) {
    std::mt19937 rng(7);
    std::vector<Frame> sent(100), shown;
    std::vector<std::uint8_t> line;
    for (Frame& frame : sent) {
        std::ranges::generate(frame.data, std::ref(rng));
        const auto wire = Wire({frame});
        line.insert(line.end(), wire.begin(), wire.end());
    }
    ScriptedPort port;
    int visits = 0;  // reads that end a frame or more: frame n ends on byte 12n + 11
    for (std::size_t at = 0, size; at < line.size(); at += size) {
        size = std::min<std::size_t>(1 + rng() % 60, line.size() - at);
        port.script.emplace_back(line.begin() + at, line.begin() + at + size);
        visits += (at + size) / kWireFrameBytes > at / kWireFrameBytes;
    }
    Reader reader(port);
    int visitsForFrames = 0;
    reader.show = [&](const LineEvent& event) {
        if (event.kind != LineEvent::Kind::Frame) return;  // the silence at the end
        const std::size_t next = port.next;
        std::this_thread::sleep_for(50us);
        EXPECT_EQ(port.next, next) << "the reader must wait while a frame is shown";
        EXPECT_EQ(QThread::currentThread(), qApp->thread());
        EXPECT_EQ(FormatStatusLine(1, event.before),
                  "rd:1 bfcnt:9 prijem:1 faze2:1 prijem2:1 PLCerr:0");
        shown.push_back(event.frame);
        visitsForFrames = reader.visits;
    };
    ASSERT_TRUE(test::WaitUntil([&] { return shown.size() == sent.size(); }));
    EXPECT_EQ(shown, sent);
    EXPECT_EQ(visitsForFrames, visits);
}

// Stopped and cancelled, a reader ends within a read time-out wherever it waits: in a hand-off
// (whose frames, not yet shown, then never are), in a read, or between the reads of a port that
// is gone, which it tries once a time-out, never in a loop.
TEST(Reader, EndsPromptlyWhereverItWaitsAndNeverSpinsOnAGonePort) {
    const std::pair<std::vector<std::vector<std::uint8_t>>, bool> cases[] = {
        {{Wire({Frame{}}, 3)}, false}, {{}, false}, {{}, true}};
    for (const auto& [script, gone] : cases) {
        ScriptedPort port;
        port.script = script;
        port.gone = gone;
        const auto started = std::chrono::steady_clock::now();
        Reader reader(port);
        int shown = 0;
        reader.show = [&](auto&) { ++shown; };
        std::this_thread::sleep_for(1s);  // not pumping: frames would wait in the hand-off
        const auto stopped = std::chrono::steady_clock::now();
        reader.thread.RequestStop();
        reader.handOff.Cancel();
        EXPECT_TRUE(reader.thread.WaitUntilEnded(5s)) << gone;
        EXPECT_LT(std::chrono::steady_clock::now() - stopped, kReadTimeout + 400ms) << gone;
        EXPECT_GE(port.reads, script.empty() ? 3 : 1) << gone;
        const auto elapsed = std::chrono::steady_clock::now() - started;
        EXPECT_LE(port.reads, script.size() + elapsed / kReadTimeout + 1) << "one a time-out";
        QTest::qWait(50);
        EXPECT_EQ(shown, 0);
    }
}

// Cancelled while the window shows a read's frames, the reader lets it finish them (they are the
// reader's data) and reads no more.
TEST(Reader, FramesBeingShownWhenCancelledAreAllShownAndNothingAfter) {
    ScriptedPort port;
    port.script = {Wire({Frame{}}, 3), Wire({Frame{}}, 3)};
    Reader reader(port);
    int shown = 0;
    reader.show = [&](auto&) {
        if (++shown > 1) return;
        reader.thread.RequestStop();
        reader.handOff.Cancel();
    };
    EXPECT_TRUE(test::WaitUntil([&] { return reader.thread.WaitUntilEnded(0ms); }));
    QTest::qWait(50);
    EXPECT_EQ(shown, 3);
    EXPECT_EQ(port.reads, 1);
}

}  // namespace
}  // namespace zorvane
