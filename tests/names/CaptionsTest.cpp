#include <gtest/gtest.h>

#include "DisplayCaption.h"
#include "NamesLimits.h"
#include "NamesScan.h"
#include "NamesTestSupport.h"
#include "NamesText.h"

namespace zorvane {
namespace {

using test::Lines;
using test::Named;
using Names = std::map<int, std::string>;

std::string FirstCaption(const std::string& text) {
    return ScanNames(text).captions[0].value_or("<none>");
}

TEST(NamesCaptions, CutAfterTwelveBytesLineEndIncluded) {
    const struct {
        std::string name, caption;
        bool cut;
    } cases[] = {
        {"Temperature sensor", "Temperature ", true}, {"Ten chars!", "Ten chars!\r\n", false},
        {"Eleven char", "Eleven char\r", false},      {"Twelve chars", "Twelve chars", false},
        {"Thirteen char", "Thirteen cha", true},
    };
    for (const auto& c : cases) {
        const NamesScan scan = ScanNames(Lines({"IN", c.name}));
        EXPECT_EQ(scan.captions[0], c.caption) << c.name;
        EXPECT_EQ(scan.cutNames.size(), c.cut ? 1u : 0u) << c.name;
        EXPECT_EQ(DisplayCaption(scan.captions[0].value()), c.name.substr(0, 12)) << c.name;
    }
}

TEST(NamesCaptions, DecodeWindows1250) {
    EXPECT_EQ(FirstCaption("IN\r\n\x8Elu\x9Dou\xE8k\xFD k\xF9\xF2\r\n"), "Žluťoučký ků");
    // Undefined bytes keep their value as code points.
    EXPECT_EQ(FirstCaption("IN\r\n\x80\x81\x83\x88\x90\x98\r\n"),
              "€\u0081\u0083\u0088\u0090\u0098\r\n");
}

TEST(NamesCaptions, DecodeUtf8AndDropCutCharacters) {
    const NamesScan scan = ScanNames(Lines({"IN", "Žluťoučký kůň", "Čerpadlo"}));
    EXPECT_EQ(scan.encoding, TextEncoding::kUtf8);
    EXPECT_EQ(Named(scan), (Names{{1, "Žluťoučk"}, {2, "Čerpadlo\r\n"}}));
    // The 250-byte split leaves the rest of "č" at the start of the next line.
    EXPECT_EQ(Named(ScanNames(Lines({"IN", std::string(249, 'a') + "čx"})))[2], "x\r\n");
    // A UTF-8 mark is skipped, so the first line can be the marker.
    EXPECT_EQ(Named(ScanNames("\xEF\xBB\xBFIN\r\nA\r\n")), (Names{{1, "A\r\n"}}));
}

TEST(NamesCaptions, ReadAsWindows1250UnlessTheWholeTextIsStrictUtf8) {
    const struct {
        const char* what;
        std::string text;
    } cases[] = {
        {"all ASCII", Lines({"IN", "Motor"})},
        {"one Windows-1250 byte elsewhere", Lines({"\x9A", "IN", "Čerpadlo"})},
        {"overlong form", Lines({"IN", "Č", "\xE0\x80\x80"})},
        {"surrogate", Lines({"IN", "Č", "\xED\xA0\x80"})},
        {"above U+10FFFF", Lines({"IN", "Č", "\xF4\x90\x80\x80"})},
        {"stray continuation byte", Lines({"IN", "Č", "\x80"})},
        {"character cut by the file's end", "IN\r\nČ\r\n\xC4"},
        {"character cut by a zero byte",
         TextFromBytes("IN\r\nČ\r\n\xC4" + std::string(6000, '\0')).bytes},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ScanNames(c.text).encoding, TextEncoding::kWindows1250) << c.what;
    EXPECT_EQ(FirstCaption(Lines({"\x9A", "IN", "Č"})), "ÄŚ\r\n");
}

TEST(NamesCaptions, AcceptACharacterCutByTheReadLimit) {
    std::string text = "IN \r\n";
    while (text.size() < kTextLimit)
        text += "Č";
    text.resize(kTextLimit);
    ASSERT_EQ(text.back(), '\xC4');
    const NamesScan scan = ScanNames(text);
    EXPECT_EQ(scan.encoding, TextEncoding::kUtf8);
    EXPECT_EQ(scan.captions[0], "ČČČČČČ");
    // Shorter than a full read: the file itself ended inside the character.
    EXPECT_EQ(ScanNames(text.substr(0, kTextLimit - 2) + "\xC4").encoding,
              TextEncoding::kWindows1250);
}

}  // namespace
}  // namespace zorvane
