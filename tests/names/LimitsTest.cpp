#include <gtest/gtest.h>

#include "NamesScan.h"
#include "NamesTestSupport.h"
#include "NamesText.h"

namespace zorvane {
namespace {

using test::Lines;
using test::Named;
using test::Numbered;
using Names = std::map<int, std::string>;

TEST(NamesLimits, UsesFortyInputAndTwentyFourOutputNames) {
    const NamesScan scan =
        ScanNames("IN\r\n" + Numbered("N", 45) + "OUT\r\n" + Numbered("O", 30) + "\r\n");
    const Names named = Named(scan);
    ASSERT_EQ(named.size(), 64u);
    EXPECT_EQ(named.at(40), "N40\r\n");
    EXPECT_EQ(named.at(41), "O1\r\n");
    EXPECT_EQ(named.at(64), "O24\r\n");
    EXPECT_EQ(scan.ignoredInputLines, (std::vector<int>{42, 43, 44, 45, 46}));
    EXPECT_EQ(scan.ignoredOutputLines.size(), 6u);  // the blank last line does not count
    EXPECT_EQ(scan.ignoredOutputLines.front(), 72);
}

TEST(NamesLimits, SplitsLinesAfter250Bytes) {
    const std::string twelve(12, 'a');
    const struct {
        std::size_t length;  // bytes before CR LF
        Names named;
        std::vector<int> longLines;
    } cases[] = {
        {248, {{1, twelve}, {2, "B\r\n"}}, {}},
        {249, {{1, twelve}, {2, "\n"}, {3, "B\r\n"}}, {2}},
        {250, {{1, twelve}, {2, "\r\n"}, {3, "B\r\n"}}, {2}},
        {300, {{1, twelve}, {2, twelve}, {3, "B\r\n"}}, {2}},
    };
    for (const auto& c : cases) {
        const NamesScan scan = ScanNames(Lines({"IN", std::string(c.length, 'a'), "B"}));
        EXPECT_EQ(Named(scan), c.named) << c.length;
        EXPECT_EQ(scan.longLines, c.longLines) << c.length;
    }
}

TEST(NamesLimits, ReadsOnlyTheFirst5000Bytes) {
    std::string text = "IN\r\n";
    while (text.size() + 100 <= 4997)
        text += std::string(98, 'f') + "\r\n";
    text += std::string(4997 - text.size() - 2, 'g') + "\r\n";
    text += "OUT";  // cut by the limit right after the keyword: a last line without line end
    text += "\r\nX\r\n";
    text += std::string(1 << 20, 'z');

    const NamesText limited = TextFromBytes(text);
    EXPECT_EQ(limited.bytes, text.substr(0, 5000));
    EXPECT_TRUE(limited.beyondLimit);
    const NamesScan scan = ScanNames(limited.bytes);
    EXPECT_NE(scan.outputsMarkerLine, 0);
    EXPECT_FALSE(scan.captions[40]);
    EXPECT_FALSE(TextFromBytes(text.substr(0, 5000)).beyondLimit);
}

TEST(NamesLimits, AZeroByteEndsTheText) {
    const NamesText text = TextFromBytes(std::string("IN\r\nA\0B\r\nC\r\n", 12));
    EXPECT_EQ(text.zeroByteAt, 5u);
    EXPECT_EQ(Named(ScanNames(text.bytes)), (Names{{1, "A"}}));
    // One past the read limit is never seen.
    EXPECT_FALSE(TextFromBytes(std::string(5000, 'x') + '\0').zeroByteAt);
}

}  // namespace
}  // namespace zorvane
