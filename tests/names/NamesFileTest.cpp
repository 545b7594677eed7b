// The names loader, fed through real files as the monitor reads them.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>

#include "NamesFile.h"

namespace zorvane {
namespace {

struct Case {
    const char* what;
    std::string text;
    std::map<int, std::string> named;  // label -> caption
};

// Each text as a names file, reached through /proc so that nothing is left behind.
void ExpectNames(std::initializer_list<Case> cases) {
    for (const Case& c : cases) {
        std::FILE* file = std::tmpfile();
        std::fwrite(c.text.data(), 1, c.text.size(), file);
        std::fflush(file);
        const auto scan = LoadNamesFile("/proc/self/fd/" + std::to_string(fileno(file)));
        std::fclose(file);
        ASSERT_TRUE(scan) << c.what;
        std::map<int, std::string> named;
        for (int label = 1; label <= 64; ++label)
            if (scan->captions[label - 1]) named[label] = *scan->captions[label - 1];
        EXPECT_EQ(named, c.named) << c.what;
    }
}

TEST(NamesFile, MarkersStartTheSections) {
    ExpectNames({
        {"CR LF",
         "IN\r\nMotor\r\nPump\r\nOUT\r\nValve\r\n",
         {{1, "Motor\r\n"}, {2, "Pump\r\n"}, {41, "Valve\r\n"}}},
        {"LF", "IN\nMotor\nOUT\nValve\n", {{1, "Motor\n"}, {41, "Valve\n"}}},
        {"header, other case, blank",
         "Head\r\nIn\r\n\r\nB\r\nOut\r\n",
         {{1, "\r\n"}, {2, "B\r\n"}}},
        {"CR ends no line", "IN\rA\r\nB\r\n", {{1, "B\r\n"}}},
        {"space", "IN inputs\r\nA\r\nOUT outputs\r\nB\r\n", {{1, "A\r\n"}, {41, "B\r\n"}}},
        {"tab", "IN\t\r\nA\r\nIN\r\nB\r\nOUT\tx\r\n", {{1, "B\r\n"}, {2, "OUT\tx\r\n"}}},
        {"wrong case, longer word", "in\r\nINPUTS\r\nA\r\n", {}},
        {"OUT before IN", "OUT\r\nIN\r\nA\r\n", {{1, "A\r\n"}}},
        {"markers as names",
         "IN\r\nIN\r\nOUT\r\nIN\r\nOUT\r\nOut\r\n",
         {{1, "IN\r\n"}, {41, "IN\r\n"}, {42, "OUT\r\n"}, {43, "Out\r\n"}}},
        {"IN last", "x\r\nIN", {}},
        {"OUT last", "IN\r\nA\r\nOUT", {{1, "A\r\n"}}},
    });
}

TEST(NamesFile, LimitsCutLinesCaptionsAndText) {
    const std::string a12(12, 'a'), pad(4991, '\n');  // pad + "IN\r\n" + 5 bytes reach 5000
    const auto line = [](int n) { return "IN\r\n" + std::string(n, 'a') + "\r\nB\r\n"; };
    ExpectNames({
        {"12 bytes",
         "IN\r\nTemperature sensor\r\nTen chars!\r\nEleven char\r\nTwelve chars\r\n",
         {{1, "Temperature "}, {2, "Ten chars!\r\n"}, {3, "Eleven char\r"}, {4, "Twelve chars"}}},
        {"248", line(248), {{1, a12}, {2, "B\r\n"}}},
        {"249", line(249), {{1, a12}, {2, "\n"}, {3, "B\r\n"}}},
        {"250", line(250), {{1, a12}, {2, "\r\n"}, {3, "B\r\n"}}},
        {"name at 5000", pad + "IN\r\nLast1\r\nX\r\n", {{1, "Last1"}}},
        {"OUT at 5000", pad + "IN\r\nA\nOUT\r\nX\r\n", {{1, "A\n"}}},
        {"zero byte", std::string("IN\r\nA\0B\r\nC\r\n", 12), {{1, "A"}}},
    });
}

TEST(NamesFile, DecodesWindows1250UnlessTheWholeTextIsStrictUtf8) {
    const std::map<int, std::string> cp1250 = {{1, "ÄŚ\r\n"}};  // UTF-8 "Č" as Windows-1250
    const std::string pad(4991, '\n');
    ExpectNames({
        {"Windows-1250", "IN\r\n\x8Elu\x9Dou\xE8k\xFD k\xF9\xF2\r\n", {{1, "Žluťoučký ků"}}},
        {"undefined bytes",
         "IN\r\n\x80\x81\x83\x88\x90\x98\r\n",
         {{1, "€\u0081\u0083\u0088\u0090\u0098\r\n"}}},
        {"UTF-8, every kind of lead byte",
         "IN\r\nŽluťoučký kůň\r\nČerpadlo\r\n"
         "한ẞ\uFFFD\u0800\r\n😀\U00040000©\r\n\U000E0001\U00100000\u07FF\r\n",
         {{1, "Žluťoučk"},
          {2, "Čerpadlo\r\n"},
          {3, "한ẞ\uFFFD\u0800"},
          {4, "😀\U00040000©\r\n"},
          {5, "\U000E0001\U00100000\u07FF\r\n"}}},
        {"UTF-8 split",
         "IN\r\n" + std::string(249, 'a') + "čx\r\n",
         {{1, std::string(12, 'a')}, {2, "x\r\n"}}},
        {"UTF-8 mark", "\xEF\xBB\xBFIN\r\nA\r\n", {{1, "A\r\n"}}},
        {"Windows-1250 byte", "\x9A\r\nIN\r\nČ\r\n", cp1250},
        {"overlong", "\xE0\x80\x80\r\nIN\r\nČ\r\n", cp1250},
        {"surrogate", "\xED\xA0\x80\r\nIN\r\nČ\r\n", cp1250},
        {"above U+10FFFF", "\xF4\x90\x80\x80\r\nIN\r\nČ\r\n", cp1250},
        {"stray continuation", "\x80\r\nIN\r\nČ\r\n", cp1250},
        {"cut by the read limit", pad + "IN\r\nČČ\xC4\x8C", {{1, "ČČ"}}},
        {"cut by the limit, not UTF-8", pad + "IN\r\n\x9A\x9AČ\xC4", {{1, "ššÄŚÄ"}}},
        {"a stray byte cut by the limit", pad + "IN\r\nČČ\x80", {{1, "ÄŚÄŚ€"}}},
        {"cut by the file's end", pad + "IN\r\nČ\xC4", {{1, "ÄŚÄ"}}},
        {"cut by a zero byte", pad + "IN\r\nČ\xC4" + std::string(9, '\0'), {{1, "ÄŚÄ"}}},
    });
}

TEST(NamesFile, EveryCorpusFileLoadsIntoWholeUtf8Captions) {
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(NAMES_CORPUS_DIR)) {
        const NamesScan scan = LoadNamesFile(entry.path()).value();
        for (const auto& caption : scan.captions)
            EXPECT_EQ(DecodeCaption(caption.value_or(""), TextEncoding::kUtf8),
                      caption.value_or(""))
                << entry.path();
        ++files;
    }
    EXPECT_GT(files, 0);
}

}  // namespace
}  // namespace zorvane
