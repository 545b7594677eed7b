#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "FrameReceiver.h"

using namespace zorvane;
using Bytes = std::vector<std::uint8_t>;

namespace {

const Bytes kExample = {0xAA, 0x01, 0x02, 0x03, 0x04, 0x05, 0x0F, 0xAA, 0x10, 0x20, 0x30, 0x60};
const Bytes kCheckIsAA = {0xAA, 0x01, 0x02, 0x03, 0x04, 0x05, 0x0F, 0xAA, 0x2A, 0x40, 0x40, 0xAA};

Bytes Repeat(const Bytes& b, int times, Bytes prefix = {}) {
    for (int i = 0; i < times; ++i)
        prefix.insert(prefix.end(), b.begin(), b.end());
    return prefix;
}

// Offsets of the bytes that completed a frame.
std::vector<std::size_t> Completions(FrameReceiver& r, const Bytes& stream) {
    std::vector<std::size_t> at;
    for (std::size_t i = 0; i < stream.size(); ++i)
        if (DecodeByte(r, stream[i]).completed) at.push_back(i);
    return at;
}

struct CompletionCase {
    const char* name;
    Bytes stream;
    std::vector<std::size_t> completedAt;
};

class Completion : public testing::TestWithParam<CompletionCase> {};

TEST_P(Completion, CompletesExactlyOnTheExpectedBytes) {
    FrameReceiver r;
    EXPECT_EQ(Completions(r, GetParam().stream), GetParam().completedAt);
}

INSTANTIATE_TEST_SUITE_P(
    Streams, Completion,
    testing::Values(
        CompletionCase{"example_frame", kExample, {11}},
        // A repeated second block must not complete early on the previous frame's check byte.
        CompletionCase{"example_twice", Repeat(kExample, 2), {11, 23}},
        CompletionCase{"check_byte_AA_nine_times",
                       Repeat(kCheckIsAA, 9),
                       {11, 23, 35, 47, 59, 71, 83, 95, 107}},
        CompletionCase{"zero_second_block_on_new_receiver",
                       {0xAA, 1, 2, 3, 4, 5, 0x0F, 0xAA, 0, 0, 0, 0},
                       {11}},
        CompletionCase{"wrong_second_check_still_completes",
                       {0xAA, 1, 2, 3, 4, 5, 0x0F, 0xAA, 0x10, 0x20, 0x30, 0x99},
                       {11}},
        CompletionCase{
            "noise_before_and_between_blocks",
            {0x11, 0x22, 0xAA, 1, 2, 3, 4, 5, 0x0F, 0x55, 0x00, 0xAA, 0x10, 0x20, 0x30, 0x60},
            {15}},
        // The rejected block slides by five bytes and loses sync with the frames that follow.
        CompletionCase{"bad_first_block_then_five_frames",
                       Repeat(kExample, 5, {0xAA, 1, 2, 3, 4, 5, 0x00}),
                       {66}},
        CompletionCase{
            "second_blocks_alone_never_complete", Repeat({0xAA, 0x10, 0x20, 0x30, 0x60}, 40), {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FrameReceiver, StoresBothBlocksAndKeepsTheBufferAcrossFrames) {
    FrameReceiver r;
    Completions(r, kExample);
    EXPECT_EQ(r.LatestFrame(), (Frame{{1, 2, 3, 4, 5, 0x10, 0x20, 0x30}}));
    r.Feed(0xAA);
    EXPECT_EQ(r.LatestFrame(), (Frame{{1, 2, 3, 4, 5, 0x10, 0x20, 0x30}}))
        << "the buffer is never cleared";
}

TEST(FrameReceiver, RejectedFirstBlockKeepsItsLastByteAsTheNewFirst) {
    FrameReceiver r;
    for (std::uint8_t b : Bytes{0xAA, 1, 2, 3, 4, 5, 0x00})
        r.Feed(b);
    EXPECT_EQ(r.State().storedBytes, 1);
    EXPECT_FALSE(r.State().firstBlockAccepted);
    EXPECT_EQ(r.LatestFrame().data[0], 0x00);
    for (std::uint8_t b : Bytes{1, 1, 1, 1, 4})
        r.Feed(b);  // 00 01 01 01 01 sums to 04
    EXPECT_TRUE(r.State().firstBlockAccepted);
}

TEST(FrameReceiver, AAInsideTheFirstBlockIsData) {
    FrameReceiver r;
    for (std::uint8_t b : Bytes{0xAA, 0xAA, 0, 0, 0, 0, 0xAA})
        r.Feed(b);
    EXPECT_TRUE(r.State().firstBlockAccepted);
    EXPECT_FALSE(r.State().secondBlockOpen) << "the data AA must not open the second block";
    EXPECT_EQ(r.LatestFrame().data[0], 0xAA);
}

TEST(FrameReceiver, SecondBlocksAloneMarkThePlcSilentOnThe52ndByte) {
    FrameReceiver r;
    const Bytes stream = Repeat({0xAA, 0x10, 0x20, 0x30, 0x60}, 20);
    std::size_t setAt = 0;
    for (std::size_t i = 0; i < stream.size() && setAt == 0; ++i) {
        r.Feed(stream[i]);
        if (r.State().plcSilent) setAt = i + 1;
    }
    EXPECT_EQ(setAt, 52u);
}

TEST(FrameReceiver, AnAcceptedFirstBlockClearsPlcSilent) {
    FrameReceiver r;
    Completions(r, Repeat({0xAA, 0x10, 0x20, 0x30, 0x60}, 20));
    ASSERT_TRUE(r.State().plcSilent);
    r.ResetForNextFrame();
    Completions(r, kExample);
    EXPECT_FALSE(r.State().plcSilent);
}

TEST(FrameReceiver, StatusLineHandedOverIsAlwaysTheCompletedState) {
    // Random data, AA included, with non-AA noise between frames and between blocks.
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> byte(0, 255), gap(0, 3);
    auto noise = [&](Bytes& s) {
        for (int n = gap(rng); n > 0; --n) {
            int b = byte(rng);
            s.push_back(b == 0xAA ? 0x55 : b);
        }
    };
    Bytes stream;
    std::vector<Frame> sent;
    for (int i = 0; i < 2000; ++i) {
        Frame frame;
        for (auto& b : frame.data)
            b = byte(rng);
        sent.push_back(frame);
        const WireBytes wire = EncodeFrame(frame);
        noise(stream);
        stream.insert(stream.end(), wire.begin(), wire.begin() + 7);
        noise(stream);
        stream.insert(stream.end(), wire.begin() + 7, wire.end());
    }
    FrameReceiver r;
    std::size_t frames = 0;
    for (std::uint8_t b : stream) {
        const DecodedByte step = DecodeByte(r, b);
        if (!step.completed) continue;
        ASSERT_LT(frames, sent.size());
        EXPECT_EQ(r.LatestFrame(), sent[frames++]);
        EXPECT_EQ(FormatStatusLine(1, step.before),
                  "rd:1 bfcnt:9 prijem:1 faze2:1 prijem2:1 PLCerr:0");
    }
    EXPECT_EQ(frames, sent.size()) << "no frame may be lost on a clean line";
}

TEST(FormatStatusLine, MatchesTheFixedFormat) {
    EXPECT_EQ(FormatStatusLine(1, {}), "rd:1 bfcnt:0 prijem:0 faze2:0 prijem2:0 PLCerr:0");
    EXPECT_EQ(FormatStatusLine(0, {255, true, true, true, true}),
              "rd:0 bfcnt:255 prijem:1 faze2:1 prijem2:1 PLCerr:1");
}

TEST(Frame, SetLampLightsThatLampAlone) {
    for (int lamp = 1; lamp <= kLampCount; ++lamp) {
        Frame f;
        f.SetLamp(lamp, true);
        for (int other = 1; other <= kLampCount; ++other)
            ASSERT_EQ(f.Lamp(other), other == lamp) << "lamp " << lamp << " other " << other;
        f.SetLamp(lamp, false);
        ASSERT_EQ(f, Frame{});
    }
}

}  // namespace
