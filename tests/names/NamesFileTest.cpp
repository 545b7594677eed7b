// The names loader, fed through real files as the monitor reads them.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

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
        NamesFileError error;
        const auto scan = LoadNamesFile("/proc/self/fd/" + std::to_string(fileno(file)), error);
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
         "IN\r\nŽluťoučký kůň\r\nMotor hlavní\r\n"
         "한ẞ\uFFFD\u0800\r\n😀\U00040000©\r\n\U000E0001\U00100000\u07FF\r\n",
         {{1, "Žluťoučký ků"},
          {2, "Motor hlavní"},
          {3, "한ẞ\uFFFD\u0800\r\n"},
          {4, "😀\U00040000©\r\n"},
          {5, "\U000E0001\U00100000\u07FF\r\n"}}},
        {"UTF-8 split",
         "IN\r\n" + std::string(249, 'a') + "čabcdefghijkl\r\n",
         {{1, std::string(12, 'a')}, {2, "abcdefghijkl"}}},
        {"UTF-8 mark", "\xEF\xBB\xBFIN\r\nA\r\n", {{1, "A\r\n"}}},
        {"Windows-1250 byte", "\x9A\r\nIN\r\nČ\r\n", cp1250},
        {"overlong", "\xE0\x80\x80\r\nIN\r\nČ\r\n", cp1250},
        {"surrogate", "\xED\xA0\x80\r\nIN\r\nČ\r\n", cp1250},
        {"above U+10FFFF", "\xF4\x90\x80\x80\r\nIN\r\nČ\r\n", cp1250},
        {"stray continuation", "\x80\r\nIN\r\nČ\r\n", cp1250},
        {"cut by the read limit", pad + "IN\r\nČČ\xC4\x8C", {{1, "ČČ"}}},
        {"cut by the limit, not UTF-8", pad + "IN\r\n\x9A\x9AČ\xC4", {{1, "ššÄŚÄ"}}},
        {"a stray byte cut by the limit", pad + "IN\r\nČČ\x80", {{1, "ÄŚÄŚ€"}}},
        {"cut by the file's end at 5000 bytes", "\n\n" + pad + "IN\r\nČ\xC4", {{1, "ÄŚÄ"}}},
        {"cut by a zero byte", pad + "IN\r\nČ\xC4" + std::string(9, '\0'), {{1, "ÄŚÄ"}}},
    });
}

// Names at the end of a page whose next page is gone: /proc/self/mem gives the first read its
// bytes and fails the next, as a failing disk would.
TEST(NamesFile, AReadThatFailsMidwayGivesNoTextAndSaysWhy) {
    const std::size_t page = ::sysconf(_SC_PAGESIZE);
    const std::string text = "IN\r\nA\r\n";
    auto* pages = static_cast<char*>(
        ::mmap(nullptr, 2 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    ASSERT_TRUE(pages != MAP_FAILED && ::munmap(pages + page, page) == 0);
    char* at = pages + page - text.size();
    text.copy(at, text.size());
    const int fd = ::open("/proc/self/mem", O_RDONLY | O_CLOEXEC);
    char first[64];
    ASSERT_EQ(::pread(fd, first, sizeof first, reinterpret_cast<off_t>(at)), ssize_t(text.size()));
    ASSERT_NE(::lseek(fd, reinterpret_cast<off_t>(at), SEEK_SET), -1);
    NamesFileError error;
    EXPECT_FALSE(ReadNamesText(fd, error));
    EXPECT_EQ(error.Describe("names.ini"), "cannot read names.ini: Input/output error");
    ::close(fd);
    ::munmap(pages, page);
}

TEST(NamesFile, EveryCorpusFileLoadsIntoWholeUtf8Captions) {
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(NAMES_CORPUS_DIR)) {
        NamesFileError error;
        const NamesScan scan = LoadNamesFile(entry.path(), error).value();
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
