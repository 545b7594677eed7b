// Runs the built zorvane-names: its standard output is a contract.
#include <sys/stat.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "NamesTestSupport.h"

namespace zorvane {
namespace {

using test::Lines;
using test::TempDir;

struct InspectorRun {
    int status = -1;
    std::string out, err;
};

// Runs the inspector in `dir`; `timeout` ends it (status 124) should it ever block.
InspectorRun RunInspector(const TempDir& dir, const std::string& args = "") {
    const std::string command = "cd '" + dir.path().string() + "' && timeout 10 '" +
                                ZORVANE_NAMES_BIN + "' " + args + " >.out 2>.err";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, test::ReadFile(dir.path() / ".out"),
            test::ReadFile(dir.path() / ".err")};
}

// The 64 output lines with the given captions, already escaped.
std::string Expected(const std::map<int, std::string>& captions) {
    std::string out;
    for (int k = 1; k <= 64; ++k) {
        out += std::to_string(k) + '\t' + (captions.contains(k) ? captions.at(k) : "") + '\n';
    }
    return out;
}

TEST(NamesInspector, PrintsSixtyFourEscapedCaptions) {
    TempDir dir;
    dir.Write("names.ini", Lines({"IN", "Motor", "a\tb\\c\x01\x1f|", "", "OUT", "Ventil"}) +
                               "\x8Elu\x9Dou\xE8k\xFD k\xF9\xF2\n");
    const InspectorRun run = RunInspector(dir);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, Expected({{1, "Motor\\r\\n"},
                                 {2, "a\\tb\\\\c\\x01\\x1f|\\r\\n"},
                                 {3, "\\r\\n"},
                                 {41, "Ventil\\r\\n"},
                                 {42, "Žluťoučký ků"}}));
    EXPECT_EQ(run.err, "warning: line 7: the name for Label42 is cut to 12 bytes\n");

    dir.Write("utf8.ini", "\xEF\xBB\xBFIN\nŽluťoučký kůň\nOUT\nČerpadlo\n");
    const InspectorRun utf8 = RunInspector(dir, "utf8.ini");
    EXPECT_EQ(utf8.out, Expected({{1, "Žluťoučk"}, {41, "Čerpadlo\\n"}}));
}

TEST(NamesInspector, ReportsAFileThatCannotBeOpened) {
    TempDir dir;
    ASSERT_EQ(::mkfifo((dir.path() / "fifo.ini").c_str(), 0600), 0);
    for (const std::string name : {"", "other.ini", "fifo.ini", "."}) {
        const InspectorRun run = RunInspector(dir, name);
        EXPECT_EQ(run.status, 1) << name;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, "Nelze otevřít soubor " + (name.empty() ? "names.ini" : name) +
                               " s pojmenováním proměnných\n");
    }
}

TEST(NamesInspector, WarnsOnStandardErrorOnly) {
    std::string inputs = Lines({"IN", "A name far too long", std::string(260, 'x')});
    for (int i = 0; i < 45; ++i)
        inputs += "N\r\n";
    const struct {
        std::string text;
        std::vector<std::string> warnings;
    } cases[] = {
        {Lines({"in", "A"}), {"no inputs marker"}},
        {inputs + std::string(6000, '.'),
         {"first 5000 bytes", "line 3 is longer than 250 bytes", "no outputs marker",
          "line 2: the name for Label1 is cut to 12 bytes",
          "line(s) after the 40th input name are ignored, the first at line 41",
          "lamps 26 and 25"}},
        {"IN\r\nOUT\r\n" + test::Numbered("O", 25),
         {"1 line(s) after the 24th output name are ignored, the first at line 27"}},
        {std::string("\xFF\xFEI\0N\0", 6), {"zero byte at offset 3"}},
    };
    for (const auto& c : cases) {
        TempDir dir;
        dir.Write("names.ini", c.text);
        const InspectorRun run = RunInspector(dir);
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 64);
        for (const auto& w : c.warnings)
            EXPECT_NE(run.err.find(w), std::string::npos) << run.err;
    }
}

}  // namespace
}  // namespace zorvane
