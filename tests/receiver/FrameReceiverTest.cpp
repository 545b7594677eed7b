#include <filesystem>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "FrameReceiver.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace zorvane {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Offsets = std::vector<std::size_t>;

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
Bytes Times(const Bytes& b, int n) {
    return n == 0 ? Bytes{} : b + Times(b, n - 1);
}

TEST(FrameReceiver, CompletesFramesAndMarksAPlcThatSendsNothing) {
    const Bytes plc = {0xAA, 1, 2, 3, 4, 5, 0x0F}, rt = {0xAA, 0x10, 0x20, 0x30, 0x60};
    const Bytes example = plc + rt, checkIsAA = plc + Bytes{0xAA, 0x2A, 0x40, 0x40, 0xAA};
    struct {
        const char* name;
        Bytes stream;
        Offsets completedAt;
        Offsets silenceFlips = {};  // bytes after which "PLC silent" changed
        Frame frame = {{1, 2, 3, 4, 5, 0x10, 0x20, 0x30}};  // what every completion shows
    } const cases[] = {
        {"example", example, {11}},
        // A repeated second block must not complete early on the previous frame's check byte.
        {"twice", Times(example, 2), {11, 23}},
        {"check AA", Times(checkIsAA, 3), {11, 23, 35}, {}, {{1, 2, 3, 4, 5, 0x2A, 0x40, 0x40}}},
        {"zeros", plc + Bytes{0xAA, 0, 0, 0, 0}, {11}, {}, {{1, 2, 3, 4, 5}}},
        {"bad C2", plc + Bytes{0xAA, 0x10, 0x20, 0x30, 0x99}, {11}},
        {"noise", Bytes{0x11} + plc + Bytes{0x55, 0} + rt, {14}},
        // A rejected block slides by five bytes and loses sync with the frames that follow.
        {"bad C1", Bytes{0xAA, 1, 2, 3, 4, 5, 0} + Times(example, 5), {66}},
        {"AA as data",
         {0xAA, 0xAA, 0, 0, 0, 0, 0xAA, 0xAA, 1, 2, 3, 6},
         {11},
         {},
         {{0xAA, 0, 0, 0, 0, 1, 2, 3}}},
        // Second blocks alone never complete, and their 52nd byte marks the PLC silent.
        {"rt alone", Times(rt, 40), {}, {51}},
        {"rt, frame, rt", Times(rt, 20) + example + Times(rt, 20), {111}, {51, 106, 163}},
    };
    for (const auto& c : cases) {
        FrameReceiver receiver, whole;
        Offsets completed, flips, wholeCompleted;
        for (std::size_t i = 0; i < c.stream.size(); ++i) {
            const bool silent = receiver.State().plcSilent;
            const DecodedByte step = DecodeByte(receiver, c.stream[i]);
            if (receiver.State().plcSilent != silent) flips.push_back(i);
            if (!step.completed) continue;
            completed.push_back(i);
            EXPECT_EQ(receiver.LatestFrame(), c.frame) << c.name;
        }
        EXPECT_EQ(completed, c.completedAt) << c.name;
        EXPECT_EQ(flips, c.silenceFlips) << c.name;
        // The same stream in one piece, as a read brings it.
        for (std::size_t at = 0; at < c.stream.size();) {
            const DecodedBytes fed = DecodeUntilFrame(whole, std::span(c.stream).subspan(at));
            at += fed.used;
            if (fed.last.completed) wholeCompleted.push_back(at - 1);
        }
        EXPECT_EQ(wholeCompleted, c.completedAt) << c.name;
        EXPECT_EQ(whole.State(), receiver.State()) << c.name;
    }
}

// The fuzzer's corpus, every crash it ever found included, keeps its invariants (or aborts).
TEST(FrameReceiver, ReplaysTheFuzzCorpus) {
    for (const auto& entry : std::filesystem::directory_iterator(RECEIVER_CORPUS)) {
        std::ifstream in(entry.path(), std::ios::binary);
        const Bytes bytes{std::istreambuf_iterator<char>(in), {}};
        EXPECT_EQ(LLVMFuzzerTestOneInput(bytes.data(), bytes.size()), 0) << entry.path();
    }
}

}  // namespace
}  // namespace zorvane
