// Runs the built zorvane-names: its output and exit status are what scripts rely on.
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

std::string Read(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST(NamesTool, PrintsNamesBesideLampsWarnsAndRefuses) {
    std::string numbered = "Head\r\nIN\r\nTemperature sensor\r\n" + std::string(510, 'x') + "\r\n";
    for (int n = 5; n <= 69; ++n)  // 40 inputs and 24 outputs, each with one more
        numbered += (n == 45 ? "\r\nOUT\r\nN" : "N") + std::to_string(n) +
                    (n == 25 ? "-long-name\r\n" : "\r\n");
    const std::string noOutputs =
        "warning: no outputs marker (a line OUT or Out) after the "
        "inputs marker: lamps 41..64 get no names\n";
    const std::string again = "\nTry 'zorvane-names --help'.\n";
    const struct {
        std::string args;
        std::string text;  // of names.ini
        int status;
        std::string out, err;  // `out`: lines found in standard output
    } cases[] = {
        {"", "IN\r\nMotor\r\na\tb\\c\x01\x1f|\r\n\r\n\x8Elu\x9Dou\xE8k\xFD k\xF9\xF2\n", 0,
         "\n1\tMotor\n2\ta\\tb\\\\c\\x01\\x1f|\n3\t\n4\tŽluťoučký ků\n5\t\n",
         noOutputs + "warning: line 5: the name beside lamp 4 is cut to 12 characters\n"},
        {"", numbered, 0, "\n24\tN24\n25\tN26\n26\tN25-long-nam\n27\tN27\n",
         "warning: line 4 is longer than 250 bytes; it is split and takes more than one place\n"
         "warning: line 3: the name beside lamp 1 is cut to 12 characters\n"
         "warning: line 4: the name beside lamp 2 is cut to 12 characters\n"
         "warning: line 4: the name beside lamp 3 is cut to 12 characters\n"
         "warning: line 25: the name beside lamp 26 is cut to 12 characters\n"
         "warning: 4 line(s) after the 40th input name are ignored, the first at line 41\n"
         "warning: 1 line(s) after the 24th output name are ignored, the first at line 71\n"
         "note: the 25th and 26th input names appear beside lamps 26 and 25\n"},
        {"", "In\r\nA\r\n" + std::string(5000, '\n'), 0, "\n1\tA\n2\t\n",
         "warning: only the first 5000 bytes are read; the rest of the file is ignored\n" +
             noOutputs + "note: the 25th and 26th input names appear beside lamps 26 and 25\n"},
        {"", "IN\nMotor hlavní\nČerpadlo chladicí\n", 0, "\n1\tMotor hlavní\n2\tČerpadlo chl\n",
         noOutputs + "warning: line 3: the name beside lamp 2 is cut to 12 characters\n"
                     "note: the file is read as UTF-8\n"},
        {"", std::string("\xEF\xBB\xBFin\nŽ\n\0\0", 11), 0, "\n1\t\n",
         "warning: a zero byte at offset 9 ends the text; nothing after it is read (a UTF-16 "
         "file?)\nwarning: no inputs marker (a line IN or In): no names are set\n"
         "note: the file is read as UTF-8\n"},
        {"--help", "", 0, "\nUsage: zorvane-names", ""},
        {"--version", "", 0, "\nzorvane-names " ZORVANE_VERSION "\n", ""},
        {"--bogus", "", 2, "", "zorvane-names: unknown option '--bogus'" + again},
        {"-x", "", 2, "", "zorvane-names: unknown option '-x'" + again},
        {"a.ini b.ini", "", 2, "", "zorvane-names: extra operand 'b.ini'" + again},
        {"no.ini", "", 1, "", "zorvane-names: cannot open no.ini: No such file or directory\n"},
        {"fifo.ini", "", 1, "", "zorvane-names: cannot open fifo.ini: not a regular file\n"},
        // Write-only even for root.
        {"/proc/sys/vm/drop_caches", "", 1, "",
         "zorvane-names: cannot open /proc/sys/vm/drop_caches: Permission denied\n"},
        // Fails at the first read, as a failing disk would.
        {"/proc/self/mem", "", 1, "",
         "zorvane-names: cannot read /proc/self/mem: Input/output error\n"},
    };
    char made[] = "/tmp/names-tool-XXXXXX";
    ASSERT_NE(::mkdtemp(made), nullptr);
    const std::filesystem::path dir = made;
    ASSERT_EQ(::mkfifo((dir / "fifo.ini").c_str(), 0600), 0);
    for (const auto& c : cases) {
        std::ofstream(dir / "names.ini", std::ios::binary) << c.text;
        // Without standard input, so that a names file may get descriptor 0.
        const std::string run = "cd " + dir.string() + " && exec " ZORVANE_NAMES_BIN " " + c.args;
        const int status = std::system((run + " <&- >.out 2>.err").c_str());
        const std::string out = Read(dir / ".out");
        EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, c.status) << c.err;
        EXPECT_NE(("\n" + out).find(c.out), std::string::npos) << out;
        if (c.args.empty()) {  // reads names.ini
            EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 64);
        }
        EXPECT_EQ(Read(dir / ".err"), c.err);
    }
    std::filesystem::remove_all(dir);
}

}  // namespace
