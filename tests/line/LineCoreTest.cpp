// The line core: what each read brings, told as frames with the time they crossed the line, and
// the link's silences judged on those times.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "LineCore.h"

namespace zorvane {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

// `count` frames as the line carries them; lamp 1 flips with every frame.
Bytes Frames(int count, int first = 0) {
    Bytes bytes;
    for (int n = first; n < first + count; ++n) {
        const WireBytes w = EncodeFrame(Frame{{static_cast<std::uint8_t>(n & 1)}});
        bytes.insert(bytes.end(), w.begin(), w.end());
    }
    return bytes;
}

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes Part(const Bytes& bytes, std::size_t from, std::size_t to) {
    return Bytes(bytes.begin() + from, bytes.begin() + to);
}

// Every event as "kind ms[@offset]", milliseconds after the start to the microsecond, on both
// clocks ("!" when they differ).
struct Told final : LineConsumer {
    explicit Told(Moment start) : start(start) {}
    void Event(const LineEvent& e) override {
        static const char* const kKinds[] = {"frame", "down", "up", "lost", "back"};
        using Ms = std::chrono::duration<double, std::milli>;
        const double ms = Ms(e.at.tick - start.tick).count();
        char text[64];
        std::snprintf(text, sizeof text, "%s %.3f%s", kKinds[int(e.kind)], ms,
                      Ms(e.at.wall - start.wall).count() == ms ? "" : "!");
        events.push_back(text +
                         (e.kind == LineEvent::Kind::Frame ? "@" + std::to_string(e.offset) : ""));
    }
    Moment start;
    std::vector<std::string> events;
};

struct Case {
    const char* what;
    std::vector<std::pair<double, Bytes>> reads;  // when each returned, in ms, and what it brought
    std::vector<std::string> told;
};

class LineTimes : public testing::TestWithParam<Case> {};

TEST_P(LineTimes, FramesKeepTheirTimesOnTheLineAndSilencesAreJudgedOnThem) {
    const Moment start{std::chrono::steady_clock::time_point(1h),
                       std::chrono::system_clock::time_point(24h)};
    LineCore line;
    Told told(start);
    line.Add(told);
    line.Start(start);
    for (const auto& [ms, bytes] : GetParam().reads)
        line.Read(bytes, start.After(std::chrono::duration<double, std::milli>(ms)));
    EXPECT_EQ(told.events, GetParam().told) << GetParam().what;
}

const Bytes kTwo = Frames(2);

INSTANTIATE_TEST_SUITE_P(
    Reads, LineTimes,
    testing::Values(
        Case{"one frame a read",
             {{2.292, Frames(1)}, {4.583, Frames(1, 1)}},
             {"frame 2.292@11", "frame 4.583@23"}},
        // A USB adapter hands over 16 ms at once: each frame 2.29 ms (12 bytes) before the next.
        Case{"seven frames in one 16 ms read",
             {{16, Frames(7)}},
             {"frame 2.250@11", "frame 4.542@23", "frame 6.833@35", "frame 9.125@47",
              "frame 11.417@59", "frame 13.708@71", "frame 16.000@83"}},
        Case{"frames that crossed before the port was opened waited in it: old, not told",
             {{10, Frames(7)}},
             {"frame 0.833@35", "frame 3.125@47", "frame 5.417@59", "frame 7.708@71",
              "frame 10.000@83"}},
        Case{"a frame split across reads",
             {{1, Part(kTwo, 0, 5)}, {2.5, Part(kTwo, 5, 12)}},
             {"frame 2.500@11"}},
        Case{"a read after a 100 ms silence: down 40 ms after the frame, up with the next",
             {{1, Frames(1)}, {101, {}}, {150, Frames(1, 1)}},
             {"frame 1.000@11", "down 41.000", "up 150.000", "frame 150.000@23"}},
        Case{"a read that ends mid-frame",
             {{10, Part(kTwo, 0, 18)}, {12, Part(kTwo, 18, 24)}},
             {"frame 8.854@11", "frame 12.000@23"}},
        Case{"39 ms between frames: the link stays up",
             {{1, Frames(1)}, {40, Frames(1, 1)}},
             {"frame 1.000@11", "frame 40.000@23"}},
        Case{"41 ms: it went down 40 ms after the frame",
             {{1, Frames(1)}, {42, Frames(1, 1)}},
             {"frame 1.000@11", "down 41.000", "up 42.000", "frame 42.000@23"}},
        Case{"a burst that went over late is judged by when its frames crossed",
             {{1, Frames(1)}, {50, Frames(5, 1)}},
             {"frame 1.000@11", "frame 40.833@23", "frame 43.125@35", "frame 45.417@47",
              "frame 47.708@59", "frame 50.000@71"}},
        Case{"never earlier than what was told: nothing had come when a read found none",
             {{1, Frames(1)}, {20, {}}, {25, Frames(5, 1)}},
             {"frame 1.000@11", "frame 20.000@23", "frame 20.000@35", "frame 20.417@47",
              "frame 22.708@59", "frame 25.000@71"}}));

// A damaged stream, read as a capture, and its counts: frames told, check bytes wrong, bytes of
// no frame (those of a frame never finished too, once the reading ends).
TEST(LineHealth, CountsWhatTheLineGotWrong) {
    const Bytes frame = Frames(1), first(frame.begin(), frame.begin() + 7),
                second(frame.begin() + 7, frame.end());
    Bytes badC2 = frame;
    badC2[11] ^= 0x40;
    Bytes badC1 = first;
    badC1[6] ^= 0x40;
    const struct {
        const char* what;
        Bytes stream;
        std::uint64_t frames, checksum, skipped;
    } cases[] = {
        {"clean", Frames(3), 3, 0, 0},
        {"noise between frames", frame + Bytes{0x11, 0x22, 0x33} + frame, 2, 0, 3},
        {"noise between the blocks", first + Bytes{0x55} + second, 1, 0, 1},
        {"a wrong check byte in the second block: shown all the same", badC2, 1, 1, 0},
        {"a wrong check byte in the first block", badC1, 0, 1, 7},
        {"a frame cut short", frame + first, 1, 0, 7},
    };
    for (const auto& c : cases) {
        LineCore line;
        line.Read(c.stream);
        line.Finish({});
        const LineHealth health = line.Health();
        EXPECT_EQ(std::tie(health.frames, health.checksumErrors, health.skippedBytes),
                  std::tie(c.frames, c.checksum, c.skipped))
            << c.what;
        EXPECT_FALSE(health.driver) << "a capture's driver counts are not known, not zero";
    }
}

}  // namespace
}  // namespace zorvane
