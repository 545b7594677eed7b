#include <QElapsedTimer>
#include <QMetaObject>
#include <QSignalSpy>
#include <QTest>
#include <atomic>
#include <chrono>
#include <set>
#include <thread>

#include "FormFixture.h"
#include "Frame.h"
#include "HandOff.h"
#include "LampColors.h"
#include "ReaderThread.h"

using namespace zorvane;
using namespace zorvane::test;
using namespace std::chrono_literals;

namespace {

struct FrameCase {
    std::array<std::uint8_t, 5> plc;
    std::array<std::uint8_t, 3> rt;
    std::set<int> lit;
    QString edit1;
    QString edit2;
};

std::set<int> AllLamps() {
    std::set<int> all;
    for (int n = 1; n <= 64; ++n)
        all.insert(n);
    return all;
}

// All lamps first, so a later frame must also turn lamps white.
const FrameCase kFrames[] = {
    {{0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, {0xFF, 0xFF, 0xFF}, AllLamps(), "ff ff ff ff ff ", "ff ff ff"},
    {{0x01, 0x00, 0x00, 0x00, 0x80}, {0x00, 0x00, 0x03}, {1, 40, 57, 58}, "1 0 0 0 80 ", "0 0 3"},
    {{0x02, 0x04, 0x08, 0x10, 0x20},
     {0x40, 0x01, 0x80},
     {2, 11, 20, 29, 38, 47, 49, 64},
     "2 4 8 10 20 ",
     "40 1 80"},
    {{0x01, 0x02, 0x0A, 0xFF, 0x00},
     {0x10, 0x20, 0x30},
     {1, 10, 18, 20, 25, 26, 27, 28, 29, 30, 31, 32, 45, 54, 61, 62},
     "1 2 a ff 0 ",
     "10 20 30"},
    {{0, 0, 0, 0, 0}, {0, 0, 0}, {}, "0 0 0 0 0 ", "0 0 0"},
};

WireBytes Encode(const FrameCase& c) {
    Frame frame;
    std::copy(c.plc.begin(), c.plc.end(), frame.data.begin());
    std::copy(c.rt.begin(), c.rt.end(), frame.data.begin() + 5);
    return EncodeFrame(frame);
}

const QString kStatusAfterFrame = "rd:1 bfcnt:9 prijem:1 faze2:1 prijem2:1 PLCerr:0";

// Sends the frames, `gap` apart, then reads like an idle port.
class PacedSource : public ByteSource {
  public:
    PacedSource(std::vector<WireBytes> frames, std::chrono::milliseconds gap)
        : frames_(std::move(frames)), gap_(gap) {}

    bool ReadByte(std::uint8_t& out) override {
        const std::size_t frame = position_ / kWireFrameBytes;
        const std::size_t byte = position_ % kWireFrameBytes;
        if (frame >= frames_.size()) {
            std::this_thread::sleep_for(kReadTimeout);
            return false;
        }
        if (byte == 0 && frame > 0) std::this_thread::sleep_for(gap_);
        out = frames_[frame][byte];
        ++position_;
        return true;
    }

  private:
    std::vector<WireBytes> frames_;
    std::chrono::milliseconds gap_;
    std::size_t position_ = 0;
};

struct Seen {
    std::array<QColor, 64> lamps;
    QString edit1, edit2, edit3;
    QColor prijem;
    bool warningHidden;
    bool timerActive;
};

// A real reader whose hand-off queues onto this thread's event loop, standing in for the
// user-interface thread.
class ShowFrameOnForm : public FormFixture {
  protected:
    void StartReader(std::vector<WireBytes> frames, std::chrono::milliseconds gap = 0ms) {
        expected_ = frames.size();
        source_ = std::make_unique<PacedSource>(std::move(frames), gap);
        handOff_ = std::make_unique<HandOff>([](std::function<void()> fn) {
            QMetaObject::invokeMethod(qApp, std::move(fn), Qt::QueuedConnection);
        });
        reader_ = std::make_unique<ReaderThread>(
            *source_, *handOff_, [this](const Frame& frame, const std::string& line) {
                form_->ShowFrame(frame, line);
                sinceLastFrame_.start();
                seen_.push_back(Snapshot());
            });
    }
    bool WaitForAllFrames() {
        return QTest::qWaitFor([&] { return seen_.size() == expected_; }, 5000);
    }
    void TearDown() override {
        if (reader_) {
            reader_->RequestStop();
            handOff_->Cancel();
            reader_.reset();
        }
        FormFixture::TearDown();
    }

    Seen Snapshot() {
        Seen s;
        for (int n = 1; n <= 64; ++n)
            s.lamps[n - 1] = Lamp(n)->FillColor();
        s.edit1 = Edit(1)->text();
        s.edit2 = Edit(2)->text();
        s.edit3 = Edit(3)->text();
        s.prijem = Prijem()->FillColor();
        s.warningHidden = Label(69)->isHidden();
        s.timerActive = Timer1()->isActive();
        return s;
    }

    std::unique_ptr<PacedSource> source_;
    std::unique_ptr<HandOff> handOff_;
    std::unique_ptr<ReaderThread> reader_;
    std::size_t expected_ = 0;
    std::vector<Seen> seen_;
    QElapsedTimer sinceLastFrame_;
};

TEST_F(ShowFrameOnForm, EveryFrameSetsLampsTextsAndTheLiveIndicator) {
    MakeForm();
    std::vector<WireBytes> frames;
    for (const FrameCase& c : kFrames)
        frames.push_back(Encode(c));
    StartReader(frames);
    ASSERT_TRUE(WaitForAllFrames());
    for (std::size_t i = 0; i < std::size(kFrames); ++i) {
        const FrameCase& c = kFrames[i];
        const Seen& s = seen_[i];
        SCOPED_TRACE(testing::Message() << "frame " << i);
        for (int n = 1; n <= 64; ++n)
            EXPECT_EQ(s.lamps[n - 1], c.lit.count(n) ? LampColorOn : LampColorOff) << "lamp " << n;
        EXPECT_EQ(s.edit1, c.edit1);
        EXPECT_EQ(s.edit2, c.edit2);
        EXPECT_EQ(s.edit3, kStatusAfterFrame);
        EXPECT_EQ(s.prijem, LinkAliveColor);
        EXPECT_TRUE(s.warningHidden);
        EXPECT_TRUE(s.timerActive);
    }
}

TEST_F(ShowFrameOnForm, WatchdogTurnsTheIndicatorRed40msAfterTheLastFrameOnly) {
    MakeForm();
    int portCalls = 0;
    form_->SetPortProcedure([&] { ++portCalls; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return portCalls == 1; }, 1000)) << "first tick";

    QSignalSpy ticks(Timer1(), &QTimer::timeout);
    qint64 silentAfterMs = -1;
    QObject::connect(Timer1(), &QTimer::timeout,
                     [&] { silentAfterMs = sinceLastFrame_.elapsed(); });
    // Frames 25 ms apart: only a restart on every frame keeps the 40 ms timer from firing.
    std::vector<WireBytes> frames(8, EncodeFrame({{0xFF}}));
    frames.push_back(Encode(kFrames[1]));
    StartReader(frames, 25ms);
    ASSERT_TRUE(WaitForAllFrames());
    ASSERT_TRUE(QTest::qWaitFor([&] { return ticks.count() > 0; }, 1000));

    for (const Seen& s : seen_)
        EXPECT_EQ(s.prijem, LinkAliveColor);
    EXPECT_GE(silentAfterMs, 39);
    EXPECT_LE(silentAfterMs, 40 + 60);
    EXPECT_EQ(Prijem()->FillColor(), LampColorOn);
    EXPECT_FALSE(Label(69)->isHidden());
    for (int n = 1; n <= 64; ++n)
        EXPECT_EQ(Lamp(n)->FillColor(), kFrames[1].lit.count(n) ? LampColorOn : LampColorOff) << n;
    EXPECT_EQ(Edit(1)->text(), kFrames[1].edit1);

    QTest::qWait(200);
    EXPECT_EQ(ticks.count(), 1) << "a silent link is reported once, not every 40 ms";
    EXPECT_FALSE(Timer1()->isActive());
    EXPECT_EQ(portCalls, 1);
}

}  // namespace
