#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <regex>
#include <thread>

#include "DeviceCatalogue.h"
#include "Frame.h"

namespace {

using namespace std::chrono_literals;
constexpr auto kNone = std::string::npos;
const std::string kDecode = ZORVANE_DECODE;
const std::string kExample = "\xAA\x01\x02\x03\x04\x05\x0F\xAA\x10\x20\x30\x60";
const std::string kDone = "rd:1 bfcnt:9 prijem:1 faze2:1 prijem2:1 PLCerr:0";

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

bool WaitFor(const std::function<bool()>& ready) {
    for (int i = 0; i < 500; ++i, std::this_thread::sleep_for(10ms))
        if (ready()) return true;
    return false;
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

#define REQUIRE_VIEWER_TOOLS()                                                                 \
    if (std::system("command -v sigrok-cli && command -v vcd2fst && command -v fst2vcd") != 0) \
    GTEST_SKIP()                                                                               \
        << "sigrok-cli and gtkwave are not installed (scripts/install-deps.sh installs them)"

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
    // The tool run in dir_ to its end, or to Ctrl-C after `seconds` (its own exit status kept).
    std::string Decode(const std::string& args, const std::string& input = "", double seconds = 0) {
        const std::string stop = "timeout -s INT --preserve-status " + std::to_string(seconds);
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
            WaitFor([&] { return tcgetattr(master, &tio) == 0 && !(tio.c_lflag & ICANON); }));
        // CR and LF in the data: a cooked terminal would change them or hold them back.
        const std::string a = Wire({{0x0D, 0x0A, 0, 0x01, 0, 0, 0, 0}}),
                          b = Wire({{0x0A, 0x0A, 0, 0x02, 0, 0, 0, 0x80}}), aaab = a + a + a + b;
        EXPECT_EQ(write(master, aaab.data(), aaab.size()), ssize_t(aaab.size()));
        std::this_thread::sleep_for(100ms);
        EXPECT_EQ(write(master, b.data(), b.size()), ssize_t(b.size()));
        int unread = -1;
        EXPECT_TRUE(WaitFor([&] { return ioctl(slave, FIONREAD, &unread) == 0 && unread == 0; }));
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
    // The first frame is a change from nothing; names.ini names lamp 1 only.
    Write("names.ini", "IN\nfirst\n");
    EXPECT_EQ(Decode("--changes", kExample + kExample),
              "11" + data + "+1 first +10 +17 +18 +27 +33 +35 +45 +54 +61 +62\n" +
                  "zorvane-decode: frames 2, changes 1, link drops 0, port losses 0\nexit 0\n");
    const std::string help = Decode("--help", kExample);  // and nothing decoded after it
    EXPECT_TRUE(help.starts_with("Usage: ") && help.ends_with(" > capture.bin\nexit 0\n"));
    const std::string trace = Decode("--trace", kExample);
    EXPECT_TRUE(trace.starts_with("0 aa rd:1 bfcnt:0 prijem:0 faze2:0 prijem2:0 PLCerr:0\n"));
    EXPECT_TRUE(trace.ends_with("\n11 60 " + kDone + " frame\nexit 0\n"));
    EXPECT_EQ(std::count(trace.begin(), trace.end(), '\n'), 13);
}

TEST_F(DecodeTool, OffsetsRunOnAcrossReadChunks) {
    std::string stream;  // 1.2 MB, more than one read buffer
    for (int i = 0; i < 100000; ++i)
        stream += Wire({{0, 0, 0, 0, std::uint8_t(i), 1, 2, 3}});
    const std::string out = Decode("-", stream);
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 100001);
    EXPECT_TRUE(out.ends_with("\n1199999 00 00 00 00 9f 01 02 03 " + kDone + "\nexit 0\n"));
}

// A live source's lines come out while it still runs: the writer waits for the first one.
TEST_F(DecodeTool, PrintsFromAPipeWhileTheWriterStillRuns) {
    Write("frame.bin", kExample);
    const std::string writer =
        "{ cat frame.bin; for i in $(seq 100); do [ -s out ] && echo live >live && break; "
        "sleep 0.1; done; }";
    EXPECT_EQ(
        Shell("cd " + dir_ + " && " + writer + " | " + kDecode + " --changes >out 2>&1; cat live"),
        "live\nexit 0\n");
}

TEST_F(DecodeTool, FailuresSayWhatWithoutDecodingAnything) {
    const std::string z = "zorvane-decode: ", again = "\nTry 'zorvane-decode --help'.\nexit 2\n";
    const std::pair<std::string, std::string> cases[] = {
        {"/nonexistent", z + "cannot open /nonexistent: No such file or directory\nexit 1\n"},
        {"/", z + "cannot read /: Is a directory\nexit 1\n"},
        {"--changes --names /", z + "cannot open /: not a regular file\nexit 1\n"},
        {"--changes --names /proc/self/mem",
         z + "cannot read /proc/self/mem: Input/output error\nexit 1\n"},
        {"--device /dev/null", z + "cannot open /dev/null: not a serial port\nexit 1\n"},
        {"--bogus", z + "unrecognized option '--bogus'" + again},
        {"--device", z + "option '--device' requires an argument" + again},
        {"a b", z + "only one FILE may be given" + again},
        {"--trace --changes", z + "--trace and --changes exclude each other" + again},
        {"--device x file", z + "--device reads no FILE" + again},
        {"--names n", z + "--names goes with --changes, --vcd or --stats" + again},
        {">/dev/full", "exit 1\n"},  // its message goes to /dev/full too
        {"--list x", z + "--list stands alone" + again},
        {"--vcd x --trace", z + "--vcd writes no text: not with --trace or --changes" + again},
        {"--stats --trace", z + "--trace and --stats exclude each other" + again},
        {"--stats --vcd -",
         z + "--stats beside a dump on standard output would spoil it: --vcd FILE" + again},
        {"--from-log x", z + "--from-log goes with --vcd or --stats" + again},
        {"--stats --from-log x y",
         z + "--from-log reads no FILE, no --device and makes no --changes" + again},
        {"--vcd /dev/full", z + "cannot write output: No space left on device\nexit 1\n"},
        {"--vcd /nonexistent/x.vcd",
         z + "cannot write /nonexistent/x.vcd: No such file or directory\nexit 1\n"},
        {"--stats --from-log /nonexistent",
         z + "cannot open /nonexistent: No such file or directory\nexit 1\n"},
        {"--stats --from-log -", z + "standard input is not a change log\nexit 1\n"},
        // COMn as the monitor maps it: ./COM2 here (never /dev/ttyS1 in a test).
        {"--device COM2", z + "cannot open ./COM2 -> nowhere: no such port (No such file or "
                              "directory)\nexit 1\n"},
    };
    ASSERT_EQ(symlink("nowhere", (dir_ + "/COM2").c_str()), 0);
    for (const auto& [args, said] : cases)
        EXPECT_EQ(Decode(args, kExample), said) << args;
    // Only a names.ini that is not there is passed over.
    std::filesystem::create_directory(dir_ + "/names.ini");
    EXPECT_EQ(Decode("--changes", kExample),
              z + "cannot open names.ini: not a regular file\nexit 1\n");
}

// What the monitor's dialog finds, one a line; none is no failure.
TEST_F(DecodeTool, ListsTheDevicesTheMonitorFinds) {
    std::string want;
    for (const zorvane::SerialDevice& d : zorvane::DeviceCatalogue().List())
        want += d.path + '\t' + d.kernelName + '\t' + d.description + '\n';
    EXPECT_EQ(Decode("--list"), want + "exit 0\n");
}

TEST_F(DecodeTool, DeviceLeftCookedLogsChangesLinkDropsAndItsLoss) {
    // \310 is "Č" in Windows-1250; the 25th input name stands beside lamp 26 and back.
    std::string names = "IN\r\n\310erpadlo\r\n";
    for (int n = 2; n <= 26; ++n)
        names += "n" + std::to_string(n) + "\r\n";
    const std::string out = OnDevice("--changes --names " + Write("names.ini", names));
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
              "zorvane-decode: frames 5, changes 2, link drops 2, port losses 1\nexit 0\n");
}

TEST_F(DecodeTool, DumpAndStatsOfADeviceFollowTheClock) {
    REQUIRE_VIEWER_TOOLS();
    const std::regex share("on [0-9.]+ % of [0-9.]+ s\n");  // of a time no test knows
    const std::string stats =
        "1: on 0 times, shortest on -, shortest off -, on P\n"
        "2: on 1 times, shortest on -, shortest off -, on P\n"
        "3: on 0 times, shortest on -, shortest off -, on P\n"
        "25: on 0 times, shortest on -, shortest off -, on P\n"
        "26: on 1 times, shortest on -, shortest off -, on P\n"
        "64: on 1 times, shortest on -, shortest off -, on P\n";
    const std::string out = OnDevice("--vcd out.vcd --stats");
    EXPECT_TRUE(
        std::regex_replace(out, share, "on P\n").ends_with("waiting for it\n" + stats + "exit 0\n"))
        << out;
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
    // The same with --changes: their lines first.
    const std::regex stamp("\\d{4}-\\d\\d-\\d\\dT[0-9:.]{12}[+-]\\d\\d:\\d\\d ");
    EXPECT_EQ(std::regex_replace(std::regex_replace(OnDevice("--changes --stats"), share, "on P\n"),
                                 stamp, ""),
              "0d 0a 00 01 00 00 00 00 +1 +3 +4 +10 +12 +25\n"
              "0a 0a 00 02 00 00 00 80 -1 +2 -3 -25 +26 +64\n"
              "link-down\nlink-up\nlink-down\nport-lost\n" +
                  stats +
                  "zorvane-decode: frames 5, changes 2, link drops 2, port losses 1\nexit 0\n");
}

TEST_F(DecodeTool, DumpOfACaptureIsWhatSigrokAndGtkwaveRead) {
    REQUIRE_VIEWER_TOOLS();
    Write("names.ini", "IN\n\310erpadlo\nPosuv X\n");
    // Frames complete at bytes 11, 26, 38 and 50 of 51, 190.97 us each: after 2100.7, 4965.3,
    // 7256.9 and 9548.6 us; the capture ends at 9739.6 us.
    const std::string capture = Wire(Lit({1})) + std::string(3, '\0') + Wire(Lit({2})) +
                                Wire(Lit({2})) + Wire(Lit({1, 64}));
    EXPECT_EQ(Decode("--vcd out.vcd", capture), "exit 0\n");
    std::string signals = "$var wire 1 ! L1_Cerpadlo $end\n$var wire 1 \" L2_Posuv_X $end\n";
    for (int lamp = 3; lamp <= 64; ++lamp)
        signals += "$var wire 1 " + std::string(1, char('!' + lamp - 1)) + " L" +
                   std::to_string(lamp) + " $end\n";
    signals += "$var wire 1 a link $end\n$var wire 1 b port $end\n$upscope $end\n";
    const std::string changes = "#2100 1! 1a\n#4965 0! 1\"\n#9548 1! 0\" 1`\n";
    const std::string seen =
        signals + "$enddefinitions $end\n" + AtStart() + changes + "#9739\nexit 0\n";
    EXPECT_EQ(SigrokSees(dir_ + "/out.vcd"), seen);
    // GTKWave's own converter takes it, and what it made gives back the same.
    EXPECT_EQ(
        Shell("cd " + dir_ + " && vcd2fst out.vcd out.fst >/dev/null && fst2vcd out.fst >back.vcd"),
        "exit 0\n");
    EXPECT_EQ(SigrokSees(dir_ + "/back.vcd"), seen);
    // The --changes lines tell the same, timed by their offsets; the log ends with its last line.
    Decode("--changes >log.txt", capture);  // with the summary at its end
    EXPECT_EQ(Decode("--from-log log.txt --vcd log.vcd"),
              "zorvane-decode: log.txt: 1 lines are not a change log's; skipped\nexit 0\n");
    EXPECT_EQ(Changes(SigrokSees(dir_ + "/log.vcd")), AtStart() + changes + "#9549\nexit 0\n");
    EXPECT_EQ(Decode("--changes --stats", capture),
              "11 01 00 00 00 00 00 00 00 +1 Čerpadlo\n"
              "26 02 00 00 00 00 00 00 00 -1 Čerpadlo +2 Posuv X\n"
              "50 01 00 00 00 00 00 00 80 +1 Čerpadlo -2 Posuv X +64\n"
              "1 Čerpadlo: on 1 times, shortest on -, shortest off 4.583 ms, on 40.0 % of 0.008 s\n"
              "2 Posuv X: on 1 times, shortest on 4.583 ms, shortest off -, on 60.0 % of 0.008 s\n"
              "64: on 1 times, shortest on -, shortest off -, on 2.5 % of 0.008 s\n"
              "zorvane-decode: frames 4, changes 3, link drops 0, port losses 0\nexit 0\n");
}

TEST_F(DecodeTool, RecordReadBackShowsTheBouncingContactInStatsAndDump) {
    REQUIRE_VIEWER_TOOLS();
    Write("names.ini", "IN\n\310erpadlo\n");
    const std::string at = "2025-03-14T10:00:0";
    Write("record.log",
          at + "0.000+01:00 record-start port=\"COM1\" device=\"./COM1\" names=\"\"\n" + at +
              "0.010+01:00 01 00 00 00 00 00 00 00 +1 Čerpadlo\n" + at +
              "0.012+01:00 00 00 00 00 00 00 00 00 -1 Čerpadlo\n" + at +
              "0.015+01:00 01 00 00 00 00 00 00 00 +1 Čerpadlo\n" + at +
              "0.016+01:00 00 00 00 00 00 00 00 00 -1 Čerpadlo\n" + at +
              "0.016+01:00 01 00 00 00 00 00 00 00 +1 Čerpadlo\n" + at + "0.150+01:00 link-down\n" +
              at + "0.200+01:00 record-gap until=" + at + "0.300+01:00 lost=3\n" + at +
              "0.400+01:00 link-up\n" + at + "0.400+01:00 03 00 00 00 00 00 00 00 +2\n" + at +
              "0.500+01:00 port-lost\n" + at + "1.010+01:00 record-end\n" +
              "2025-02-30T10:00:00.000+01:00 link-down\n");  // no such day
    EXPECT_EQ(Decode("--from-log record.log --vcd out.vcd --stats"),
              "zorvane-decode: record.log: 1 lines are not a change log's; skipped\n"
              "1 Čerpadlo: on 2 times, shortest on 1.000 ms, shortest off 0.000 ms, "
              "on 99.7 % of 1.000 s\n"
              "2: on 1 times, shortest on -, shortest off -, on 61.0 % of 1.000 s\nexit 0\n");
    EXPECT_EQ(Changes(SigrokSees(dir_ + "/out.vcd")),
              AtStart() +
                  "#10000 1! 1a\n#12000 0!\n#15000 1!\n#16000 0!\n#16001 1!\n#150000 0a\n"
                  "#400000 1\" 1a\n#500000 0b\n#1010000 0a\n#1010001\nexit 0\n");
}

TEST_F(DecodeTool, DeviceReadsALineBridgedFromTcpBySocat) {
    if (std::system("command -v socat >/dev/null") != 0)
        GTEST_SKIP() << "socat is not installed (scripts/install-deps.sh installs it)";
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
    ASSERT_TRUE(WaitFor([&] { return access(com1.c_str(), F_OK) == 0; }));
    const std::string out = Decode("--device " + com1, "", 0.5);
    EXPECT_NE(out.find(" 01 02 03 04 05 10 20 30 " + kDone + "\n"), kNone) << out;
    EXPECT_TRUE(out.ends_with("\nexit 0\n"));
    close(listener);
}

}  // namespace
