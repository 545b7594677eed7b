#include <arpa/inet.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <map>
#include <regex>
#include <sstream>
#include <thread>

#include "Frame.h"
#include "Support.h"

namespace {

using namespace std::chrono_literals;
using zorvane::test::Child;
using zorvane::test::WaitUntil;
constexpr auto kNone = std::string::npos;
const std::string kDecode = ZORVANE_DECODE;
const std::string kExample = "\xAA\x01\x02\x03\x04\x05\x0F\xAA\x10\x20\x30\x60";
const std::string kDone = "rd:1 bfcnt:9 prijem:1 faze2:1 prijem2:1 PLCerr:0";
// A pseudo-terminal, a file or a pipe: no driver that counts.
const std::string kNoDriver =
    "parity n/a, framing n/a, overrun n/a, buffer overrun n/a, breaks n/a";

std::string Wire(const zorvane::Frame& frame) {
    const auto w = zorvane::EncodeFrame(frame);
    return {w.begin(), w.end()};
}

zorvane::Frame Lit(std::initializer_list<int> lamps) {
    zorvane::Frame frame;
    for (const int lamp : lamps)
        frame.SetLamp(lamp, true);
    return frame;
}

// Runs `command` through the shell: its output and errors, then "exit STATUS".
std::string Shell(const std::string& command) {
    std::FILE* p = popen((command + " 2>&1; echo exit $?").c_str(), "r");
    std::string out;
    char buf[65536];
    for (std::size_t n; p && (n = std::fread(buf, 1, sizeof buf, p)) > 0;)
        out.append(buf, n);
    if (p) pclose(p);  // the status that counts is in the output
    return out;
}

std::string Read(const std::string& path) {
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (auto at = text.find(what); at != kNone; at = text.find(what, at + 1))
        ++n;
    return n;
}

// Skips a case whose third-party tools are missing.
#define REQUIRE_COMMANDS(commands)                                                              \
    if (std::system("for c in " commands "; do command -v $c || exit 1; done >/dev/null") != 0) \
    GTEST_SKIP() << "needs " commands " (scripts/install-deps.sh installs them)"
#define REQUIRE_VIEWER_TOOLS() REQUIRE_COMMANDS("sigrok-cli vcd2fst fst2vcd")
#define REQUIRE_MOSQUITTO() \
    REQUIRE_COMMANDS("/usr/sbin/mosquitto mosquitto_sub mosquitto_pub mosquitto_passwd openssl")

// sigrok's reading of the lamps at the start of a dump: all off, the link down, the port open.
std::string AtStart() {
    std::string line = "#0";
    for (char code = '!'; code <= 'a'; ++code)
        line += std::string(" 0") + code;
    return line + " 1b\n";
}

// What sigrok's own VCD reader finds in a dump, written back by sigrok: its signals (lines
// "$var wire 1 CODE NAME $end"), then after "$enddefinitions $end" one line per time with changes.
std::string SigrokSees(const std::string& dump) {
    const std::string out = Shell("sigrok-cli -I vcd -i " + dump + " -O vcd 2>/dev/null");
    const auto vars = out.find("$var ");
    return vars == kNone ? out : out.substr(vars);
}

std::string Changes(const std::string& seen) {
    const std::string end = "$enddefinitions $end\n";
    return seen.substr(std::min(seen.size(), seen.find(end) + end.size()));
}

class DecodeTool : public testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(mkdtemp(dir_.data())); }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::string Write(const std::string& name, const std::string& bytes) {
        std::ofstream(dir_ + "/" + name, std::ios::binary) << bytes;
        return dir_ + "/" + name;
    }
    // The tool run in dir_ to its end, or to Ctrl-C (or `signal`) after `seconds` (its own exit
    // status kept).
    std::string Decode(const std::string& args, const std::string& input = "", double seconds = 0,
                       const std::string& signal = "INT") {
        const std::string stop =
            "timeout -s " + signal + " --preserve-status " + std::to_string(seconds);
        return Shell("cd " + dir_ + " && " + (seconds > 0 ? stop + " " : "") + kDecode + " " +
                     args + " < " + Write("input.bin", input));
    }
    // The tool on a pseudo-terminal left cooked, linked as COM1: frames a, a, a, b; 100 ms later b
    // again; then the device goes away, with no time lost on either side.
    std::string OnDevice(const std::string& args) {
        const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return "no pty";
        const int slave =
            open(ptsname(master), O_RDWR | O_NOCTTY | O_CLOEXEC);  // to see it drained
        // Linked as COM1 and unlinked when it goes, as a pseudo-terminal's number is soon reused.
        const std::string com1 = dir_ + "/COM1";
        if (symlink(ptsname(master), com1.c_str()) != 0) return "no link";
        auto run = std::async(std::launch::async,
                              [&] { return Decode("--device " + com1 + " " + args, "", 1.5); });
        termios tio{};  // the master reports the terminal's settings: raw once the tool set it up
        EXPECT_TRUE(
            WaitUntil([&] { return tcgetattr(master, &tio) == 0 && !(tio.c_lflag & ICANON); }));
        // A burst's first frames crossed the line before it came; not before the port opened.
        std::this_thread::sleep_for(50ms);
        // CR and LF in the data: a cooked terminal would change them or hold them back.
        const std::string a = Wire({{0x0D, 0x0A, 0, 0x01, 0, 0, 0, 0}}),
                          b = Wire({{0x0A, 0x0A, 0, 0x02, 0, 0, 0, 0x80}}), aaab = a + a + a + b;
        int unread = -1;
        const auto drained = [&] { return ioctl(slave, FIONREAD, &unread) == 0 && unread == 0; };
        EXPECT_EQ(write(master, aaab.data(), aaab.size()), ssize_t(aaab.size()));
        // The silence counts from when the tool took the frames: a tool held off the CPU for
        // longer than the silence less 40 ms would see none.
        EXPECT_TRUE(WaitUntil(drained));
        std::this_thread::sleep_for(300ms);
        EXPECT_EQ(write(master, b.data(), b.size()), ssize_t(b.size()));
        EXPECT_TRUE(WaitUntil(drained));
        close(slave);
        std::this_thread::sleep_for(100ms);
        unlink(com1.c_str());  // the device goes away
        close(master);
        return run.get();
    }
    std::string dir_ = testing::TempDir() + "decode-XXXXXX";  // one each: cases run in parallel
};

TEST_F(DecodeTool, FileForms) {
    const std::string data = " 01 02 03 04 05 10 20 30 ";
    EXPECT_EQ(Decode("", kExample + kExample),
              "11" + data + kDone + "\n23" + data + kDone + "\nexit 0\n");
    // Without names the lamps go unnamed, which is said.
    EXPECT_TRUE(Decode("--changes", kExample)
                    .starts_with("zorvane-decode: no names.ini in " + dir_ +
                                 " (--names FILE names them): the lamps "
                                 "are unnamed\n11 "));
    // The first frame is a change from nothing; names.ini names lamp 1 only.
    Write("names.ini", "IN\nfirst\n");
    EXPECT_EQ(Decode("--changes", kExample + kExample),
              "11" + data + "+1 first +10 +17 +18 +27 +33 +35 +45 +54 +61 +62\n" +
                  "zorvane-decode: frames 2, changes 1, link drops 0, port losses 0, checksum "
                  "errors 0, skipped bytes 0, " +
                  kNoDriver + "\nexit 0\n");
    const std::string help = Decode("--help", kExample);  // and nothing decoded after it
    EXPECT_TRUE(help.starts_with("Usage: ") && help.ends_with(" > capture.bin\nexit 0\n"));
    const std::string trace = Decode("--trace", kExample);
    EXPECT_TRUE(trace.starts_with("0 aa rd:1 bfcnt:0 prijem:0 faze2:0 prijem2:0 PLCerr:0\n"));
    EXPECT_TRUE(trace.ends_with("\n11 60 " + kDone + " frame\nexit 0\n"));
    EXPECT_EQ(std::count(trace.begin(), trace.end(), '\n'), 13);
    const std::string list = Decode("--list");  // no device found is no failure, but said
    EXPECT_TRUE(list.ends_with("exit 0\n"));
    EXPECT_EQ(list.find('\t') == kNone, list.starts_with("zorvane-decode: no serial device found"));
    EXPECT_EQ(Decode("--version"), "zorvane-decode " ZORVANE_VERSION "\nexit 0\n");
}

// Ctrl-C, kill and a closed terminal (SSH, say) all end it with status 0 and the port as it was.
TEST_F(DecodeTool, EveryStopPutsThePortBack) {
    for (const std::string signal : {"INT", "TERM", "HUP"}) {
        const zorvane::test::Pty pty;
        ASSERT_EQ(symlink(pty.Slave().c_str(), (dir_ + "/COM1").c_str()), 0);
        const termios before = pty.Settings();
        auto run =
            std::async(std::launch::async, [&] { return Decode("--device COM1", "", 1, signal); });
        EXPECT_TRUE(WaitUntil([&] { return !(pty.Settings().c_lflag & ICANON); })) << signal;
        EXPECT_EQ(run.get(), "exit 0\n") << signal;
        const termios after = pty.Settings();
        EXPECT_EQ(std::tie(after.c_lflag, after.c_iflag), std::tie(before.c_lflag, before.c_iflag));
        std::filesystem::remove(dir_ + "/COM1");
    }
}

// A live source's lines come out while it still runs: the writer waits for the first one.
TEST_F(DecodeTool, PrintsFromAPipeWhileTheWriterStillRuns) {
    Write("frame.bin", kExample);
    const std::string writer =
        "{ cat frame.bin; for i in $(seq 100); do [ -s out ] && echo live >live && break; "
        "sleep 0.1; done; }";
    EXPECT_EQ(Shell("cd " + dir_ + " && " + writer + " | " + kDecode +
                    " --changes >out 2>/dev/null; cat live"),
              "live\nexit 0\n");
}

TEST_F(DecodeTool, FailuresSayWhatWithoutDecodingAnything) {
    const std::string z = "zorvane-decode: ", again = "\nTry 'zorvane-decode --help'.\nexit 2\n";
    // A URL refused before anything is opened, and why.
    const auto url = [&](const std::string& u, const std::string& why) {
        return std::pair{"--device x --mqtt '" + u + "'",
                         z + "bad --mqtt URL '" + u + "': " + why + again};
    };
    const std::string forms = ": mqtt://[user@]host[:port]/prefix or mqtts://...",
                      wild = "the prefix holds '+' or '#', which only subscriptions may use";
    const std::pair<std::string, std::string> cases[] = {
        {"/nonexistent", z + "cannot open /nonexistent: No such file or directory\nexit 1\n"},
        {"/", z + "cannot read /: Is a directory\nexit 1\n"},
        // A file the options name that cannot be read: only the configuration can mend it.
        {"--changes --names /", z + "cannot open /: not a regular file\nexit 2\n"},
        {"--changes --names /proc/self/mem",
         z + "cannot read /proc/self/mem: Input/output error\nexit 2\n"},
        {"--device /dev/null", z + "cannot open /dev/null: not a serial port\nexit 1\n"},
        {"--bogus", z + "unknown option '--bogus'" + again},
        {"--device", z + "'--device' needs a value" + again},
        {"a b", z + "only one FILE may be given" + again},
        {"--trace --changes", z + "--trace and --changes exclude each other" + again},
        {"--device x file", z + "--device reads no FILE" + again},
        {"--names n", z + "--names goes with --changes, --vcd, --stats or --mqtt" + again},
        {">/dev/full", "exit 1\n"},  // its message goes to /dev/full too
        {"--list x", z + "--list stands alone" + again},
        {"--vcd x --trace", z + "--vcd writes no text: not with --trace or --changes" + again},
        {"--stats --trace", z + "--trace and --stats exclude each other" + again},
        {"--stats --vcd -",
         z + "--stats beside a dump on standard output would spoil it: --vcd FILE" + again},
        {"--from-log x", z + "--from-log goes with --vcd or --stats" + again},
        {"--stats --from-log x --changes",
         z + "--from-log reads no --device and makes no --changes" + again},
        // An output that is an input, by path or by file, is refused before anything is opened.
        {"--vcd input.bin input.bin", z + "--vcd input.bin would overwrite an input" + again},
        {"--from-log ./input.bin --vcd input.bin",
         z + "--vcd input.bin would overwrite an input" + again},
        {"--vcd /dev/full", z + "cannot write output: No space left on device\nexit 1\n"},
        {"--vcd /nonexistent/x.vcd",
         z + "cannot write /nonexistent/x.vcd: No such file or directory\nexit 1\n"},
        {"--stats --from-log /nonexistent",
         z + "cannot read /nonexistent: No such file or directory\nexit 1\n"},
        {"--stats --from-log -", z + "standard input is not a change log\nexit 1\n"},
        // COMn as the monitor maps it: ./COM2 here (never /dev/ttyS1 in a test).
        {"--device COM2", z + "cannot open ./COM2 -> nowhere: no such port (No such file or "
                              "directory)\nexit 1\n"},
        // --mqtt: checked before the device is opened.
        {"--mqtt mqtt://h/p",
         z + "--mqtt goes with --device, and not with --vcd or --stats" + again},
        {"--device x --mqtt-client-id f", z + "the --mqtt-... options go with --mqtt" + again},
        url("http://h/p", "unknown scheme 'http'" + forms),
        url("mqtt://h", "no topic prefix" + forms),
        url("mqtt://h/", "no topic prefix after the host"),
        url("mqtt://h/a/+/b", wild),
        url("mqtt://h/a#", wild),
        // The password is never repeated.
        {"--device x --mqtt mqtt://u:pw@h/p",
         z +
             "bad --mqtt URL 'mqtt://u@h/p': a password never goes into the URL: use "
             "ZORVANE_MQTT_PASSWORD or --mqtt-password-file" +
             again},
        url("mqtt://h/" + std::string(65523, 'p'),
            "the prefix is 65523 bytes long; a topic may have 65535, and /lamp/64/name goes "
            "after it"),
        url("mqtt://[::1]:0/p", "the port must be a number from 1 to 65535"),
        {"--device x --mqtt mqtt://u@h/p --mqtt-password-file /nonexistent",
         z + "cannot read /nonexistent: No such file or directory\nexit 2\n"},
        {"--device x --mqtt mqtt://h/p --mqtt-password-file input.bin",
         z + "a password needs a user: mqtt://USER@host/prefix" + again},
        {"--device x --mqtt mqtt://h/p --mqtt-cafile f",
         z + "--mqtt-cafile goes with an mqtts:// URL" + again},
        {"--device x --mqtt mqtts://h/p --mqtt-cafile /nonexistent",
         z + "cannot read /nonexistent: No such file or directory\nexit 2\n"},
        {"--device x --mqtt mqtts://h/p --mqtt-cert /nonexistent --mqtt-key input.bin",
         z + "cannot read /nonexistent: No such file or directory\nexit 2\n"},
        {"--device x --mqtt mqtts://h/p --mqtt-key input.bin",
         z + "--mqtt-cert and --mqtt-key go together, with an mqtts:// URL" + again},
        {"--device x --mqtt mqtt://h/p --mqtt-client-id ''",
         z + "--mqtt-client-id takes 1 to 65535 bytes of UTF-8 text" + again},
    };
    ASSERT_EQ(symlink("nowhere", (dir_ + "/COM2").c_str()), 0);
    Write("names.ini", "");  // no word about unnamed lamps
    for (const auto& [args, said] : cases)
        EXPECT_EQ(Decode(args, kExample), said) << args;
    // Only a names.ini that is not there is passed over.
    std::filesystem::remove(dir_ + "/names.ini");
    std::filesystem::create_directory(dir_ + "/names.ini");
    EXPECT_EQ(Decode("--changes", kExample),
              z + "cannot open names.ini: not a regular file\nexit 2\n");
}

TEST_F(DecodeTool, DeviceLeftCookedLogsChangesLinkDropsAndItsLoss) {
    // \310 is "Č" in Windows-1250; the 25th input name stands beside lamp 26 and back.
    std::string names = "IN\r\n\310erpadlo\r\n";
    for (int n = 2; n <= 26; ++n)
        names += "n" + std::to_string(n) + "\r\n";
    // --stats ends it with each changed lamp's count, shortest times and share of a time no
    // test knows.
    const std::string out =
        std::regex_replace(OnDevice("--changes --stats --names " + Write("names.ini", names)),
                           std::regex("on [0-9.]+ % of [0-9.]+ s watched\n"), "on P\n");
    const std::regex stamp(
        "(^|\n)(\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}[+-]\\d\\d:\\d\\d) ");
    std::vector<std::string> stamps;  // in order: a link drop is stamped when it began
    for (std::sregex_iterator i(out.begin(), out.end(), stamp), end; i != end; ++i)
        stamps.push_back(i->str(2));
    EXPECT_TRUE(std::is_sorted(stamps.begin(), stamps.end())) << out;
    EXPECT_EQ(std::regex_replace(out, stamp, "$1"),
              "0d 0a 00 01 00 00 00 00 +1 Čerpadlo +3 n3 +4 n4 +10 n10 +12 n12 +25 n26\n"
              "0a 0a 00 02 00 00 00 80 -1 Čerpadlo +2 n2 -3 n3 -25 n26 +26 n25 +64\n"
              "link-down\nlink-up\nlink-down\nport-lost\n"
              "1 Čerpadlo: on 0 times, shortest on -, shortest off -, on P\n"
              "2 n2: on 1 times, shortest on -, shortest off -, on P\n"
              "3 n3: on 0 times, shortest on -, shortest off -, on P\n"
              "25 n26: on 0 times, shortest on -, shortest off -, on P\n"
              "26 n25: on 1 times, shortest on -, shortest off -, on P\n"
              "64: on 1 times, shortest on -, shortest off -, on P\n"
              "line: frames 5, checksum errors 0, skipped bytes 0, " +
                  kNoDriver +
                  "\nzorvane-decode: frames 5, changes 2, link drops 2, port losses 1, checksum "
                  "errors 0, skipped bytes 0, " +
                  kNoDriver + "\nexit 0\n");
}

TEST_F(DecodeTool, DumpOfADeviceFollowsTheClock) {
    REQUIRE_VIEWER_TOOLS();
    EXPECT_TRUE(OnDevice("--vcd out.vcd").ends_with(" waiting for it\nexit 0\n"));
    const std::string seen = Changes(SigrokSees(dir_ + "/out.vcd"));
    EXPECT_EQ(
        std::regex_replace(seen, std::regex("#\\d+"), "#"),
        std::regex_replace(AtStart(), std::regex("#0"), "#") +
            "# 1! 1# 1$ 1* 1, 19 1a\n# 0! 1\" 0# 09 1: 1`\n# 0a\n# 1a\n# 0a\n# 0b\n#\nexit 0\n");
    // The link goes down 40 ms after a frame, timed by the clock that timed the frame.
    std::vector<long> times;
    const std::regex time("#(\\d+)");
    for (std::sregex_iterator i(seen.begin(), seen.end(), time), end; i != end; ++i)
        times.push_back(std::stol(i->str(1)));
    ASSERT_EQ(times.size(), 8u);
    EXPECT_EQ(times[3] - times[2], 40000) << seen;
    EXPECT_EQ(times[5] - times[4], 40000) << seen;
}

TEST_F(DecodeTool, DumpOfACaptureIsWhatSigrokAndGtkwaveRead) {
    REQUIRE_VIEWER_TOOLS();
    Write("names.ini", "IN\n\310erpadlo\nPosuv X\n");
    // Frames complete at bytes 11, 26, 38 and 50 of 51, 190.97 us each: after 2100.7, 4965.3,
    // 7256.9 and 9548.6 us; the capture ends at 9739.6 us.
    const std::string capture = Wire(Lit({1})) + std::string(3, '\0') + Wire(Lit({2})) +
                                Wire(Lit({2})) + Wire(Lit({1, 64}));
    EXPECT_EQ(Decode("--vcd out.vcd", capture), "exit 0\n");
    std::string wires = "$var wire 1 ! L1_Cerpadlo $end\n$var wire 1 \" L2_Posuv_X $end\n";
    for (int lamp = 3; lamp <= 64; ++lamp)
        wires += "$var wire 1 " + std::string(1, char('!' + lamp - 1)) + " L" +
                 std::to_string(lamp) + " $end\n";
    wires += "$var wire 1 a link $end\n$var wire 1 b port $end\n$upscope $end\n";
    const std::string changes = "#2100 1! 1a\n#4965 0! 1\"\n#9548 1! 0\" 1`\n";
    const std::string seen =
        wires + "$enddefinitions $end\n" + AtStart() + changes + "#9739\nexit 0\n";
    EXPECT_EQ(SigrokSees(dir_ + "/out.vcd"), seen);
    // GTKWave's save file beside it opens it showing its own signals, link and port first.
    const std::string gtkw = Read(dir_ + "/out.gtkw");
    EXPECT_NE(gtkw.find("\n[dumpfile] \"" + dir_ + "/out.vcd\"\n"), kNone) << gtkw;
    const auto only = std::regex_constants::format_no_copy;
    EXPECT_EQ(std::regex_replace(gtkw, std::regex("\nzorvane\\.\\S+"), "$&", only),
              "\nzorvane.link\nzorvane.port" +
                  std::regex_replace(wires, std::regex(" (L\\S+) "), "\nzorvane.$1", only));
    // GTKWave's own converter takes it, and what it made gives back the same.
    EXPECT_EQ(
        Shell("cd " + dir_ + " && vcd2fst out.vcd out.fst >/dev/null && fst2vcd out.fst >back.vcd"),
        "exit 0\n");
    EXPECT_EQ(SigrokSees(dir_ + "/back.vcd"), seen);
    // The --changes lines tell the same, timed by their offsets; the log ends with its last line.
    Decode("--changes >log.txt", capture);  // with the summary at its end
    EXPECT_EQ(Decode("--from-log log.txt --vcd log.vcd"),
              "zorvane-decode: log.txt: line 4 cannot be read; passed over\nexit 0\n");
    EXPECT_EQ(Changes(SigrokSees(dir_ + "/log.vcd")), AtStart() + changes + "#9549\nexit 0\n");
    EXPECT_EQ(Decode("--changes --stats", capture),
              "11 01 00 00 00 00 00 00 00 +1 Čerpadlo\n"
              "26 02 00 00 00 00 00 00 00 -1 Čerpadlo +2 Posuv X\n"
              "50 01 00 00 00 00 00 00 80 +1 Čerpadlo -2 Posuv X +64\n"
              "1 Čerpadlo: on 1 times, shortest on -, shortest off 4.583 ms, on 40.0 % of 0.008 s "
              "watched\n"
              "2 Posuv X: on 1 times, shortest on 4.583 ms, shortest off -, on 60.0 % of 0.008 s "
              "watched\n"
              "64: on 1 times, shortest on -, shortest off -, on 2.5 % of 0.008 s watched\n"
              "line: frames 4, checksum errors 0, skipped bytes 3, " +
                  kNoDriver +
                  "\nzorvane-decode: frames 4, changes 3, link drops 0, port losses 0, checksum "
                  "errors 0, skipped bytes 3, " +
                  kNoDriver + "\nexit 0\n");
}

// The README's sigrok-cli line, run as written on the dump of 33 s on the line: a small file
// that still holds every change.
TEST_F(DecodeTool, TheReadmesSigrokRecipeKeepsADumpSmall) {
    REQUIRE_VIEWER_TOOLS();
    std::string capture;  // a lamp walking, a step every 44 frames (100 ms)
    for (int frame = 0; frame < 14'400; ++frame)
        capture += Wire(Lit({1 + frame / 44 % 64}));
    EXPECT_TRUE(Decode("--names= --vcd out.vcd", capture).ends_with("exit 0\n"));
    const std::string readme = Read(ZORVANE_SOURCE "/README.md");
    const auto at = readme.find("\nsigrok-cli ") + 1;
    ASSERT_NE(at, 0u);
    EXPECT_EQ(Shell("cd " + dir_ + " && " + readme.substr(at, readme.find('\n', at) - at)),
              "exit 0\n");
    EXPECT_LT(std::filesystem::file_size(dir_ + "/out.sr"), 20'000u);
    const std::string back = Shell("sigrok-cli -i " + dir_ + "/out.sr -O vcd");
    EXPECT_EQ(Count(Changes(back), "\n#"), Count(Changes(Read(dir_ + "/out.vcd")), "\n#")) << back;
}

// Two runs 8 hours apart, the first with a bouncing contact, lost lines and a lost port: only
// the time a live line was watched counts, in the order of the runs, however they are given;
// the line's health, counted by each run, is summed and never a signal.
TEST_F(DecodeTool, RecordReadBackCountsWatchedTimeOnlyAndShowsTheBounceInTheDump) {
    REQUIRE_VIEWER_TOOLS();
    Write("names.ini", "IN\n\310erpadlo\n");
    std::filesystem::create_directory(dir_ + "/rec");
    const std::string at = "2025-03-14T10:00:0",
                      start = " record-start port=\"COM1\" device=\"d\" names=\"" + dir_ +
                              "/names.ini\"\n",
                      on = " 01 00 00 00 00 00 00 00 +1 Čerpadlo\n",
                      off = " 00 00 00 00 00 00 00 00 -1 Čerpadlo\n";
    Write("rec/2025-03-14.log",
          at + "0.000+01:00" + start + at + "0.010+01:00" + on + at + "0.012+01:00" + off + at +
              "0.015+01:00" + on + at + "0.016+01:00" + off + at + "0.016+01:00" + on + at +
              "0.150+01:00 link-down\n" + at + "0.200+01:00 record-gap until=" + at +
              "0.300+01:00 lost=3\n" + at + "0.400+01:00 link-up\n" + at +
              "0.400+01:00 03 00 00 00 00 00 00 00 +2\n" + at + "0.500+01:00 port-lost\n" + at +
              "0.600+01:00 line-health frames=5 checksum=1 skipped=0 parity=0 framing=0 overrun=0 "
              "buffer-overrun=0 breaks=0\n" +
              at + "0.700+01:00 port-back\n" + at + "0.800+01:00 01 00 00 00 00 00 00 00 -2\n" +
              at +
              "1.000+01:00 line-health frames=9 checksum=1 skipped=2 parity=0 framing=0 overrun=0 "
              "buffer-overrun=3 breaks=0\n" +
              at + "1.010+01:00 record-end\n");
    // The later run read another names file, whose name holds a tab.
    const std::string later = "2025-03-14T18:00:", part = "rec/20250314T170000.000Z.log";
    Write(part, later + "00.000+01:00 record-start names=\"/o\\x09.ini\"\n" + later +
                    "01.000+01:00" + on + later + "05.000+01:00" + off + later + "06.000+01:00" +
                    on + later + "10.000+01:00 line-health frames=4 checksum=0 skipped=5 " +
                    "parity=n/a framing=n/a overrun=n/a buffer-overrun=n/a breaks=n/a\n" + later +
                    "10.000+01:00 record-end\n");
    Write("rec/state.ini", "[port]\nlast=COM1\n");
    const std::string stats = "zorvane-decode: " + part +
                              ": line 1: this run read its names from \"/o\t.ini\"; the "
                              "lamps keep those of \"" +
                              dir_ +
                              "/names.ini\" (--names FILE chooses)\n1 Čerpadlo: on 3 "
                              "times, shortest on 1.000 ms, shortest off 0.000 ms, on 80.1 % of "
                              "10.610 s watched\n"
                              // The last count of each run, summed; the driver's where known.
                              "line: frames 13, checksum errors 1, skipped bytes 7, parity 0, "
                              "framing 0, overrun 0, buffer overrun 3, breaks 0\nexit 0\n";
    EXPECT_EQ(Decode("--from-log rec --stats"), stats);
    EXPECT_EQ(Decode("--stats --from-log " + part + " rec/2025-03-14.log"), stats);
    EXPECT_EQ(Decode("--from-log rec/2025-03-14.log --vcd out.vcd"), "exit 0\n");
    EXPECT_EQ(Changes(SigrokSees(dir_ + "/out.vcd")),
              AtStart() +
                  "#10000 1! 1a\n#12000 0!\n#15000 1!\n#16000 0!\n#16001 1!\n#150000 0a\n"
                  "#400000 1\" 1a\n#500000 0b\n#700000 1b\n#800000 0\"\n#1010000 0a "
                  "0b\n#1010001\nexit 0\n");
}

// Logs that are broken in the ways a full disk, a crash or an editor leave them: what is told,
// and what the statistics (and a dump, kept whole or not at all) make of them.
TEST_F(DecodeTool, BrokenLogsAreToldAndNeverTakenAsFrames) {
    const std::string t = "2025-03-14T10:00:0", start = " record-start port=\"COM1\" names=\"\"",
                      on = " 01 00 00 00 00 00 00 00 +1", off = " 00 00 00 00 00 00 00 00 -1";
    const auto run = [&](const std::string& end) {  // 1 s on in 4 s watched
        return t + "0.000+00:00" + start + end + t + "1.000+00:00" + off + end + t + "2.000+00:00" +
               on + end + t + "3.000+00:00" + off + end + t + "4.000+00:00 record-end" + end;
    };
    const std::string z = "zorvane-decode: ", stats =
                                                  "1: on 1 times, shortest on 1000.000 ms, "
                                                  "shortest off -, on 25.0 % of 4.000 s watched\n";
    // Only a record that names none tells the lamps are unnamed.
    const std::string unnamed =
        z + "no names.ini in " + dir_ + " (--names FILE names them): the lamps are unnamed\n";
    const struct {
        const char* what;
        std::string log;
        std::string said;
    } cases[] = {
        {"empty", "", unnamed + z + "log is not a change log\nexit 1\n"},
        {"CR only", run("\r"), stats + "exit 0\n"},
        {"CR LF", run("\r\n"), stats + "exit 0\n"},
        // The next run glued onto a line cut off: the cut line is no frame, the run after it
        // begins where the one before ended.
        {"glued", t + "0.000+00:00" + start + "\n" + t + "0.500+00:00 01 00 00" + run("\n"),
         z + "log: line 2 cannot be read; passed over\n" + stats + "exit 0\n"},
        {"cut off at the end", run("\n") + t + "5.000+00:00 01 00 00 00 00 00 00 00 +1",
         z + "log: line 6 cannot be read; passed over\n" + stats + "exit 0\n"},
        // A later version's kind of line is passed over; a time that is none cannot be read.
        {"new kind, bad day",
         run("\n") + t + "5.000+00:00 line-report parity=0\n" +
             "2025-02-30T10:00:00.000+00:00 link-down\n",
         z + "log: line 7 cannot be read; passed over\n" + stats + "exit 0\n"},
        {"far date", run("\n") + "2262-04-12T00:00:00.000+00:00 link-down\n",
         z + "log: line 6: 2262-04-12T00:00:00.000+00:00 is out of the range of times this "
             "tool can hold (the years 1678 to 2262, byte offsets up to 1.6e12)\nexit 1\n"},
    };
    for (const auto& c : cases) {
        Write("log", c.log);
        Write("dump.vcd", "yesterday\n");
        EXPECT_EQ(Decode("--stats --from-log log --vcd dump.vcd"), c.said) << c.what;
        const std::string dump = Read(dir_ + "/dump.vcd");
        EXPECT_TRUE(c.said.ends_with("exit 1\n") ? dump == "yesterday\n"
                                                 : dump.starts_with("$date 2025-03-14"))
            << c.what;
    }
    std::filesystem::remove(dir_ + "/dump.gtkw");  // beside the dumps that were made
    EXPECT_EQ(Decode("--stats --from-log /dev/null"),
              unnamed + z + "/dev/null is not a change log\nexit 1\n");
    EXPECT_EQ(Decode("--vcd dump.vcd /"), unnamed + z + "cannot read /: Is a directory\nexit 1\n");
    EXPECT_EQ(Read(dir_ + "/dump.vcd"), "yesterday\n");
    EXPECT_EQ(Shell("ls -A " + dir_), "dump.vcd\ninput.bin\nlog\nexit 0\n")
        << "nothing left beside";
}

TEST_F(DecodeTool, DeviceReadsALineBridgedFromTcpBySocat) {
    REQUIRE_COMMANDS("socat");
    const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{
        .sin_family = AF_INET, .sin_port = 0, .sin_addr = {htonl(INADDR_LOOPBACK)}, .sin_zero = {}};
    socklen_t size = sizeof addr;
    auto* address = reinterpret_cast<sockaddr*>(&addr);
    ASSERT_TRUE(bind(listener, address, size) == 0 && listen(listener, 1) == 0 &&
                getsockname(listener, address, &size) == 0);
    const std::string com1 = dir_ + "/COM1";
    // Ends when the sender below hangs up: declared first, it is waited for last.
    auto bridge = std::async(std::launch::async, Shell,
                             "socat pty,link=" + com1 + ",raw,echo=0 tcp:127.0.0.1:" +
                                 std::to_string(ntohs(addr.sin_port)));
    std::jthread sender([listener](std::stop_token stop) {  // the far end of the line
        pollfd p{listener, POLLIN, 0};
        const int peer = poll(&p, 1, 5000) == 1 ? accept(listener, nullptr, nullptr) : -1;
        while (!stop.stop_requested() &&
               send(peer, kExample.data(), kExample.size(), MSG_NOSIGNAL) > 0)
            std::this_thread::sleep_for(10ms);
        close(peer);
    });
    ASSERT_TRUE(WaitUntil([&] { return access(com1.c_str(), F_OK) == 0; }));
    const std::string out = Decode("--device " + com1, "", 0.5);
    EXPECT_NE(out.find(" 01 02 03 04 05 10 20 30 " + kDone + "\n"), kNone) << out;
    EXPECT_TRUE(out.ends_with("\nexit 0\n"));
    close(listener);
}

// --mqtt, against a real broker.

const std::string kMosquitto = "/usr/sbin/mosquitto";

// A broker of our own on a free port, its files in `dir`; `listener` adds to its listener.
class Broker {
  public:
    Broker(const std::string& dir, const std::string& listener) : dir_(dir) {
        const int s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        socklen_t size = sizeof addr_;
        EXPECT_TRUE(bind(s, Address(), size) == 0 && getsockname(s, Address(), &size) == 0);
        close(s);
        std::ofstream(dir + "/broker.conf")
            << "user root\npersistence true\npersistence_location " << dir
            << "/\nmax_queued_messages 20000\nlistener " << Port() << " 127.0.0.1\n"
            << listener;
        Start();
    }
    int Port() const { return ntohs(addr_.sin_port); }
    std::string Url() const { return "mqtt://127.0.0.1:" + std::to_string(Port()); }
    void Start() {
        broker_.emplace(dir_, kMosquitto + " -c broker.conf 2>>broker.log");
        EXPECT_TRUE(WaitUntil([&] {
            const int s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
            const bool up = connect(s, Address(), sizeof addr_) == 0;
            close(s);
            return up;
        })) << Read(dir_ + "/broker.log");
    }
    void Stop() {  // asked, it keeps its sessions for the next start
        broker_->terminate();
        broker_->waitForFinished();
    }
    // What a client that subscribes now to `topics` sees within a second: the retained messages.
    std::string Retained(const std::string& topics, const std::string& options = "") const {
        return Shell("mosquitto_sub -h localhost -p " + std::to_string(Port()) + " -v -W 1 " +
                     options + " " + topics);
    }
    // mosquitto_sub with `options` writing to `file` from now on.
    std::unique_ptr<Child> Subscribe(const std::string& options, const std::string& file) const {
        const std::string at = " -h 127.0.0.1 -p " + std::to_string(Port());
        auto sub = std::make_unique<Child>(
            dir_, "mosquitto_sub" + at + " " + options + " -t probe >" + file + " 2>&1");
        EXPECT_TRUE(WaitUntil([&] {  // subscribed once a probe comes through
            Shell("mosquitto_pub" + at + " -t probe -m '{}'");
            return Read(dir_ + "/" + file).find("probe") != kNone;
        }));
        return sub;
    }

  private:
    sockaddr* Address() { return reinterpret_cast<sockaddr*>(&addr_); }
    std::string dir_;
    sockaddr_in addr_{
        .sin_family = AF_INET, .sin_port = 0, .sin_addr = {htonl(INADDR_LOOPBACK)}, .sin_zero = {}};
    std::optional<Child> broker_;
};

// The far end of a pseudo-terminal linked as `name` in `dir`.
struct Line : zorvane::test::Pty {
    Line(const std::string& dir, const std::string& name) {
        EXPECT_EQ(symlink(Slave().c_str(), (dir + "/" + name).c_str()), 0);
    }
    bool Open() const {  // once the program set the line up
        return WaitUntil([&] {
            const termios tio = Settings();
            return cfgetispeed(&tio) == B57600;
        });
    }
    void Send(const std::string& bytes) const {
        ASSERT_TRUE(Write({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}));
    }
};

// "WHEN KIND" for each --changes line, KIND "change" for the data lines; and for each event the
// broker passed on, with the count of a "dropped" one.
std::vector<std::string> ChangeLines(const std::string& text) {
    static const std::regex line("(\\S+) (?:((?:[0-9a-f]{2} ){7}[0-9a-f]{2}).*|(\\S+))\n");
    std::vector<std::string> out;
    for (std::sregex_iterator i(text.begin(), text.end(), line), end; i != end; ++i) {
        std::string bytes = i->str(2);
        std::erase(bytes, ' ');
        out.push_back(i->str(1) + " " + ((*i)[3].matched ? i->str(3) : "change " + bytes));
    }
    return out;
}
std::vector<std::string> Events(const std::string& text) {
    static const std::regex event(
        "line/event \\{\"time\":\"([^\"]+)\",\"event\":\"([a-z-]+)\"(?:,\"count\":(\\d+)|,"
        "\"bytes\":\"([0-9a-f]+))?");
    std::vector<std::string> out;
    for (std::sregex_iterator i(text.begin(), text.end(), event), end; i != end; ++i)
        out.push_back(i->str(1) + " " + i->str(2) + ((*i)[3].matched ? " " + i->str(3) : "") +
                      ((*i)[4].matched ? " " + i->str(4) : ""));
    return out;
}

TEST_F(DecodeTool, MqttTellsStateLampsAndEventsAndTheWillTellsTheEnd) {
    REQUIRE_MOSQUITTO();
    Broker broker(dir_, "allow_anonymous true\n");
    // The name needs escaping in JSON: a quote, a backslash and a tab; \310 is Č in Windows-1250.
    Write("names.ini", "IN\r\n\310\"a\\b\tc\r\n");
    const auto raw = broker.Subscribe("-v -t 'line/#'", "raw.txt");
    // A consumer's own parser: mosquitto_sub prints each payload as JSON, or says it is not.
    const auto json =
        broker.Subscribe("-F '%t %J' -t line/state -t line/event -t line/health", "json.txt");
    Line line(dir_, "COM1");
    Child decoder(dir_, kDecode + " --device COM1 --changes --mqtt " + broker.Url() +
                            "/line >changes.txt 2>errors.txt");
    ASSERT_TRUE(line.Open());
    line.Send("\x55" + Wire(Lit({1, 3})));  // a byte that belongs to no frame
    std::this_thread::sleep_for(300ms);     // down even for a reader held off the CPU; up again
    line.Send(Wire(Lit({2, 64})) + Wire(Lit({2, 64})));
    ASSERT_TRUE(WaitUntil([&] { return ChangeLines(Read(dir_ + "/changes.txt")).size() == 5; }));
    ASSERT_TRUE(WaitUntil([&] { return Events(Read(dir_ + "/raw.txt")).size() == 5; }));
    // The state follows within a tenth of a second; a kill before that would leave the one before.
    const std::string downAt = ChangeLines(Read(dir_ + "/changes.txt"))[4];
    ASSERT_TRUE(WaitUntil([&] {
        return Read(dir_ + "/raw.txt")
                   .find("line/state {\"time\":\"" + downAt.substr(0, downAt.find(' '))) != kNone;
    }));
    decoder.kill();
    ASSERT_TRUE(WaitUntil([&] { return Read(dir_ + "/raw.txt").ends_with("status offline\n"); }));

    // The events are the --changes lines, with the same times.
    const std::string seen = Read(dir_ + "/raw.txt"), changes = Read(dir_ + "/changes.txt");
    const auto lines = ChangeLines(changes);
    EXPECT_EQ(Events(seen), lines) << seen;
    std::vector<std::string> kinds;
    for (const std::string& l : lines)
        kinds.push_back(l.substr(l.find(' ') + 1));
    EXPECT_EQ(kinds, (std::vector<std::string>{"change 0500000000000000", "link-down", "link-up",
                                               "change 0200000000000080", "link-down"}));
    const std::string when = lines[0].substr(0, lines[0].find(' '));
    EXPECT_NE(seen.find("line/event {\"time\":\"" + when +
                        "\",\"event\":\"change\",\"bytes\":\"0500000000000000\",\"lamps\":[{"
                        "\"lamp\":1,\"name\":\"Č\\\"a\\\\b\\u0009c\",\"on\":true},{\"lamp\":3,"
                        "\"name\":\"\",\"on\":true}]}\n"),
              kNone)
        << seen;
    EXPECT_NE(seen.find("\"bytes\":\"0200000000000080\",\"lamps\":[{\"lamp\":1,\"name\":\"Č\\\"a"
                        "\\\\b\\u0009c\",\"on\":false},{\"lamp\":2,\"name\":\"\",\"on\":true},{"
                        "\"lamp\":3,\"name\":\"\",\"on\":false},{\"lamp\":64,\"name\":\"\",\"on\":"
                        "true}]}\n"),
              kNone);
    const std::string parsed = Read(dir_ + "/json.txt");
    EXPECT_EQ(
        Count(parsed, "\"topic\":\"line/"),
        Count(seen, "line/state {") + Count(seen, "line/event {") + Count(seen, "line/health {"));
    EXPECT_EQ(Count(parsed, "Error"), 0u);

    // What a dashboard that starts now is told.
    const std::string retained =
        broker.Retained("-t line/state -t line/status -t line/health -t 'line/lamp/#'");
    std::string told, lamps;
    for (int lamp = 1; lamp <= 64; ++lamp) {
        const auto at = retained.find("line/lamp/" + std::to_string(lamp) + " ");
        told += at == kNone ? "?" : retained.substr(retained.find(' ', at) + 1, 1);
        lamps += lamp == 2 || lamp == 64 ? "1" : "0";
    }
    EXPECT_EQ(told, lamps) << retained;
    EXPECT_NE(retained.find("line/lamp/1/name Č\"a\\b\tc\n"), kNone) << retained;
    EXPECT_NE(retained.find("line/status offline\n"), kNone);
    // A pseudo-terminal's driver counts nothing: null, not a zero.
    EXPECT_NE(retained.find("line/health {\"frames\":"), kNone) << retained;
    EXPECT_NE(retained.find(",\"checksum_errors\":0,\"skipped_bytes\":1,\"parity\":null,"
                            "\"framing\":null,\"overrun\":null,\"buffer_overrun\":null,"
                            "\"breaks\":null}\n"),
              kNone)
        << retained;
    const std::string last = lines[4].substr(0, lines[4].find(' '));
    EXPECT_NE(retained.find("line/state {\"time\":\"" + last +
                            "\",\"bytes\":\"0200000000000080\",\"link\":\"down\",\"port\":"
                            "\"open\",\"lamps\":[{\"lamp\":1,\"name\":\"Č\\\"a\\\\b\\u0009c\","
                            "\"on\":false},{\"lamp\":2,\"name\":\"\",\"on\":true},"),
              kNone)
        << retained;
}

// The broker goes away while more than a queue of events happen, then comes back.
TEST_F(DecodeTool, MqttKeepsTheLatestEventsWhileTheBrokerIsAway) {
    REQUIRE_MOSQUITTO();
    Broker broker(dir_, "allow_anonymous true\n");
    // A dashboard with a session of its own, which the broker keeps across its restart.
    const auto sub = broker.Subscribe("-c -i zorvane-test -q 1 -v -t line/event", "events.txt");
    Line line(dir_, "COM1");
    Child decoder(dir_, kDecode + " --device COM1 --changes --mqtt " + broker.Url() +
                            "/line >changes.txt 2>errors.txt");
    ASSERT_TRUE(line.Open());
    line.Send(Wire(Lit({1})));
    ASSERT_TRUE(WaitUntil([&] { return Events(Read(dir_ + "/events.txt")).size() == 1; }));
    broker.Stop();
    std::string burst;  // every frame a change
    const int frames = 10'010;
    for (int i = 0; i < frames; ++i)
        burst += Wire({{std::uint8_t(i), std::uint8_t(i >> 8), 0, 0, 0, 0, 0, 0x40}});
    line.Send(burst);
    const std::string lastBytes = "19 27 00 00 00 00 00 40";  // frame 10009
    ASSERT_TRUE(WaitUntil(                                    // and the line fell silent
        [&] {
            const std::string text = Read(dir_ + "/changes.txt");
            return text.find(lastBytes) != kNone && text.ends_with("link-down\n");
        },
        30000));
    broker.Start();
    const auto lines = ChangeLines(Read(dir_ + "/changes.txt"));
    const std::string last = "{\"time\":\"" + lines.back().substr(0, lines.back().find(' '));
    ASSERT_TRUE(WaitUntil([&] { return Read(dir_ + "/events.txt").find(last) != kNone; }, 40000))
        << Read(dir_ + "/errors.txt");

    // The events in order, repeats (QoS 1) aside; in their midst the count of those lost.
    auto events = Events(Read(dir_ + "/events.txt"));
    events.erase(std::unique(events.begin(), events.end()), events.end());
    const auto dropped = std::find_if(events.begin(), events.end(), [](const std::string& e) {
        return e.find(" dropped ") != kNone;
    });
    ASSERT_NE(dropped, events.end());
    const std::size_t at = std::size_t(dropped - events.begin()),
                      lost = std::stoul(dropped->substr(dropped->rfind(' ') + 1));
    EXPECT_EQ(lines.size() - lost, 10'000u + at);  // the queue was full
    std::vector<std::string> kept(lines.begin(), lines.begin() + long(at));
    kept.insert(kept.end(), lines.begin() + long(at + lost), lines.end());
    events.erase(dropped);
    EXPECT_EQ(events, kept);
    // The state was told anew: the last frame came while the broker was away.
    EXPECT_NE(broker.Retained("-t line/state").find("\"bytes\":\"1927000000000040\""), kNone);
}

// A broker that wants a password and a client certificate. A decoder not given its CA, nor
// finding it in the system's store, is told so and ends: trying again would not help. One that
// is given it publishes, also after the broker was away.
TEST_F(DecodeTool, MqttOverTlsWithAPasswordTrustsOnlyTheCaItIsGiven) {
    REQUIRE_MOSQUITTO();
    const std::string req =
        "openssl req -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 ";
    Write("san.ext", "subjectAltName=DNS:localhost\n");
    ASSERT_EQ(Shell("cd " + dir_ + " && (" + req +
                    "-x509 -keyout ca.key -out ca.pem -subj /CN=ca && for c in server client; do " +
                    req + "-keyout $c.key -out $c.csr -subj /CN=localhost && openssl x509 -req " +
                    "-in $c.csr -CA ca.pem -CAkey ca.key -CAcreateserial -out $c.pem -days 2 " +
                    "-extfile san.ext; done) 2>/dev/null && mosquitto_passwd -c -b passwords " +
                    "zorvane 's3cret \"x'"),
              "exit 0\n");
    Broker broker(dir_,
                  "cafile ca.pem\ncertfile server.pem\nkeyfile server.key\nrequire_certificate "
                  "true\npassword_file passwords\nallow_anonymous false\n");
    Line line(dir_, "COM1"), other(dir_, "COM2"), third(dir_, "COM3");
    Write("password", "s3cret \"x\n");
    const std::string url = " --mqtt mqtts://zorvane@localhost:" + std::to_string(broker.Port()),
                      mine = " --mqtt-cert client.pem --mqtt-key client.key --names=";
    Child trusting(dir_, kDecode + " --device COM1 --mqtt-password-file password --mqtt-cafile " +
                             "ca.pem" + mine + url + "/line 2>trusting.txt");
    // The system's store, as OpenSSL finds it, holding the CA.
    Child storing(dir_, "env SSL_CERT_FILE=ca.pem ZORVANE_MQTT_PASSWORD='s3cret \"x' " + kDecode +
                            " --device COM3" + mine + url + "/store 2>storing.txt");
    // What only another configuration mends is told as what it is, and not tried again.
    const std::string port = std::to_string(broker.Port());
    const std::tuple<std::string, std::string, std::string> refused[] = {
        {mine + url,
         " at localhost:" + port +
             " is not trusted: no certificate authority of this system signed its certificate (",
         "); give the broker's with --mqtt-cafile FILE"},
        {mine + " --mqtt-cafile ca.pem --mqtt mqtts://zorvane@127.0.0.1:" + port, " at 127.0.0.1:",
         " is not trusted: its certificate is not for the host name 127.0.0.1; the URL must name "
         "the broker as its certificate does"},
        {" --mqtt-cafile ca.pem --mqtt-cert client.pem --mqtt-key ca.key" + url,
         ": cannot use the client certificate client.pem with the key ca.key (key values ",
         "mismatch): they must belong together, in PEM, the key not encrypted"}};
    for (const auto& [options, begins, ends] : refused) {
        const std::string out = Shell("cd " + dir_ + " && env ZORVANE_MQTT_PASSWORD=x timeout 20 " +
                                      kDecode + " --device COM2 --names=" + options + "/other");
        EXPECT_NE(out.find(begins), kNone) << out;
        EXPECT_TRUE(out.ends_with(ends + "; nothing is published\nexit 2\n")) << out;
    }
    ASSERT_TRUE(line.Open() && third.Open());
    const std::string login = "--cafile " + dir_ + "/ca.pem --cert " + dir_ + "/client.pem " +
                              "--key " + dir_ + "/client.key -u zorvane -P 's3cret \"x'";
    const auto shows = [&](const std::string& bytes) {
        return WaitUntil([&] {
            return broker.Retained("-t line/state", login).find("\"bytes\":\"" + bytes) != kNone;
        });
    };
    line.Send(Wire(Lit({5})));
    EXPECT_TRUE(shows("10"));
    EXPECT_EQ(broker.Retained("-t store/status", login),
              "store/status online\nTimed out\nexit 27\n");
    broker.Stop();
    std::this_thread::sleep_for(1500ms);  // a try while it is away, refused
    broker.Start();
    line.Send(Wire(Lit({6})));
    EXPECT_TRUE(shows("20")) << Read(dir_ + "/trusting.txt");
}

// A broker's ACLs and sessions need a client id that stays from run to run; a long one is cut to
// what every broker takes, and still tells lines apart. One can be chosen.
TEST_F(DecodeTool, MqttClientIdIsTheSameOnEveryRunUnlessChosen) {
    REQUIRE_MOSQUITTO();
    Broker broker(dir_, "allow_anonymous true\n");
    const std::string z = "usb-FTDI_FT232R_USB_UART_A10K5XYZ-if00", w = z.substr(0, 32) + "W-if00";
    Line one(dir_, z), other(dir_, w);
    const auto id = [&](const std::string& options) {  // as the broker logged it
        const std::size_t before = Count(Read(dir_ + "/broker.log"), " as ");
        Child decoder(dir_,
                      kDecode + " --names= --mqtt " + broker.Url() + "/l --device " + options);
        EXPECT_TRUE(WaitUntil([&] { return Count(Read(dir_ + "/broker.log"), " as ") > before; }));
        const std::string log = Read(dir_ + "/broker.log");
        const auto as = log.rfind(" as ") + 4;
        return log.substr(as, log.find(' ', as) - as);
    };
    const std::string first = id(z);
    EXPECT_TRUE(first.starts_with("zorvane-") && first.size() == 23) << first;
    EXPECT_EQ(id(z), first);
    EXPECT_NE(id(w), first);
    EXPECT_EQ(id(w + " --mqtt-client-id line-7"), "line-7");
}

// The service as systemd starts it: the unit's ExecStart with the example configuration (the
// broker's URL set, as its user would); ${NAME} is one word and $NAME the words of its value, in
// systemd as in the shell. The adapter is a pseudo-terminal.
TEST_F(DecodeTool, TheServiceRunsFromItsUnitWithTheExampleConfiguration) {
    REQUIRE_MOSQUITTO();
    Broker broker(dir_, "allow_anonymous true\n");
    Line line(dir_, "usb-line7");
    const std::string unit = Read(ZORVANE_SOURCE "/packaging/zorvane-decode@.service.in");
    EXPECT_NE(unit.find("\nRestartPreventExitStatus=2\n"), kNone);  // a configuration error stays
    const auto at = unit.find("\nExecStart=@ZORVANE_DECODE@") + 27;
    const std::string exec =
        std::regex_replace(std::regex_replace(unit.substr(at, unit.find('\n', at) - at),
                                              std::regex("/dev/serial/by-id/%i"), "usb-line7"),
                           std::regex("\\$\\{(\\w+)\\}"), "\"$$$1\"");
    Write("line7.conf", std::regex_replace(Read(ZORVANE_SOURCE "/packaging/zorvane-decode.conf"),
                                           std::regex("\nZORVANE_MQTT_URL=.*"),
                                           "\nZORVANE_MQTT_URL=" + broker.Url() + "/plant/line7"));
    const auto service = [&](const std::string& edit) {
        // exec: the child that the test ends is the decoder itself, not a shell left waiting.
        return "sh -c 'set -a && . ./line7.conf && " + edit + "exec " + kDecode + exec + "'";
    };
    Child running(dir_, service("") + " 2>service.txt");
    ASSERT_TRUE(line.Open());
    EXPECT_TRUE(WaitUntil([&] {
        return broker.Retained("-t plant/line7/status").starts_with("plant/line7/status online\n");
    }));
    EXPECT_NE(Read(dir_ + "/service.txt").find("the lamps are unnamed"), kNone);
    // A names file named and not there: no use trying again.
    EXPECT_EQ(Shell("cd " + dir_ + " && " + service("ZORVANE_NAMES=/nonexistent/line7.ini && ")),
              "zorvane-decode: cannot open /nonexistent/line7.ini: No such file or directory\n"
              "exit 2\n");
}

}  // namespace
