// Runs the built zorvane-names: its output and exit status are what scripts rely on.
#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

namespace {

struct ToolRun {
    int status = -1;
    std::string out, err;
};

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::filesystem::path TempDir() {
    std::string made = std::filesystem::temp_directory_path() / "names-tool-XXXXXX";
    if (::mkdtemp(made.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    return made;
}

// Runs the tool in `dir` with `args` (a FIFO it waited on would hang the test).
ToolRun RunTool(const std::filesystem::path& dir, std::vector<std::string> args) {
    args.insert(args.begin(), ZORVANE_NAMES_BIN);
    std::vector<char*> argv;
    for (auto& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
    posix_spawn_file_actions_addclose(&actions, 0);  // so a names file can get descriptor 0
    posix_spawn_file_actions_addopen(&actions, 1, ".out", O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, ".err", O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = 0;
    int status = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0)
        ::waitpid(pid, &status, 0);
    posix_spawn_file_actions_destroy(&actions);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(dir / ".out"),
            ReadFile(dir / ".err")};
}

TEST(NamesTool, PrintsNamesWarnsAndRefuses) {
    std::string numbered = "Head\r\nIN\r\nTemperature sensor\r\n" + std::string(510, 'x') + "\r\n";
    for (int n = 5; n <= 44; ++n)
        (numbered += 'N') += std::to_string(n) + "\r\n";
    numbered += "\r\nOUT\r\n";
    for (int n = 1; n <= 25; ++n)
        (numbered += 'O') += std::to_string(n) + "\r\n";
    const std::string again = "\nTry 'zorvane-names --help'.\n";
    const struct {
        std::vector<std::string> args;
        std::string text;  // of names.ini
        int status;
        std::string out, err;  // `out`: lines found in standard output
    } cases[] = {
        {{},
         "IN\r\nMotor\r\na\tb\\c\x01\x1f|\r\n\r\n\x8Elu\x9Dou\xE8k\xFD k\xF9\xF2\n",
         0,
         "\n1\tMotor\\r\\n\n2\ta\\tb\\\\c\\x01\\x1f|\\r\\n\n3\t\\r\\n\n4\tŽluťoučký ků\n5\t\n",
         "warning: no outputs marker (a line OUT or Out) after the inputs marker: Label41..Label64 "
         "stay empty\nwarning: line 5: the name for Label4 is cut to 12 bytes\n"},
        {{},
         numbered,
         0,
         "\n40\tN40\\r\\n\n41\tO1\\r\\n\n",
         "warning: line 4 is longer than 250 bytes; it is split and takes more than one place\n"
         "warning: line 3: the name for Label1 is cut to 12 bytes\n"
         "warning: line 4: the name for Label2 is cut to 12 bytes\n"
         "warning: line 4: the name for Label3 is cut to 12 bytes\n"
         "warning: 4 line(s) after the 40th input name are ignored, the first at line 41\n"
         "warning: 1 line(s) after the 24th output name are ignored, the first at line 71\n"
         "note: the 25th and 26th input names appear beside lamps 26 and 25\n"},
        {{},
         "In\r\nA\r\n" + std::string(5000, '\n'),
         0,
         "\n1\tA\\r\\n\n2\t\\n\n",
         "warning: only the first 5000 bytes are read; the rest of the file is ignored\n"
         "warning: no outputs marker (a line OUT or Out) after the inputs marker: Label41..Label64 "
         "stay empty\nnote: the 25th and 26th input names appear beside lamps 26 and 25\n"},
        {{},
         std::string("\xEF\xBB\xBFin\nŽ\n\0\0", 11),
         0,
         "\n1\t\n",
         "warning: a zero byte at offset 9 ends the text; nothing after it is read (a UTF-16 "
         "file?)\nwarning: no inputs marker (a line IN or In): no names are set\n"
         "note: the file is read as UTF-8\n"},
        {{"--help"}, "", 0, "\nUsage: zorvane-names", ""},
        {{"--version"}, "", 0, "\nzorvane-names " ZORVANE_VERSION "\n", ""},
        {{"--bogus"}, "", 2, "", "zorvane-names: unrecognized option '--bogus'" + again},
        {{"-x"}, "", 2, "", "zorvane-names: invalid option -- 'x'" + again},
        {{"a.ini", "b.ini"}, "", 2, "", "zorvane-names: extra operand 'b.ini'" + again},
        {{"no.ini"}, "", 1, "", "zorvane-names: cannot open no.ini: No such file or directory\n"},
        {{"fifo.ini"}, "", 1, "", "zorvane-names: cannot open fifo.ini: not a regular file\n"},
        {{"device.ini"}, "", 1, "", "zorvane-names: cannot open device.ini: not a regular file\n"},
        {{"."}, "", 1, "", "zorvane-names: cannot open .: not a regular file\n"},
    };
    const std::filesystem::path dir = TempDir();
    ASSERT_EQ(::mkfifo((dir / "fifo.ini").c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/null", dir / "device.ini");
    for (const auto& c : cases) {
        std::ofstream(dir / "names.ini", std::ios::binary) << c.text;
        const ToolRun run = RunTool(dir, c.args);
        EXPECT_EQ(run.status, c.status) << c.err;
        EXPECT_NE(("\n" + run.out).find(c.out), std::string::npos) << run.out;
        if (c.args.empty()) {  // reads names.ini
            EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 64);
        }
        EXPECT_EQ(run.err, c.err);
    }
    std::filesystem::remove_all(dir);
}

}  // namespace
