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

TEST_F(DecodeTool, FailuresHaveExitStatusAndNoFrames) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"/nonexistent", "1"},    {"/", "1"},         {"--changes --names /", "1"},
        {"--bogus", "2"},         {"a b", "2"},       {"--trace --changes", "2"},
        {"--device x file", "2"}, {"--names n", "2"}, {">/dev/full", "1"}};
    for (const auto& [args, status] : cases) {
        const std::string out = Decode(args, kExample);
        EXPECT_EQ(out.find("rd:1"), kNone) << args;
        EXPECT_TRUE(out.ends_with("exit " + status + "\n")) << args;
    }
    EXPECT_EQ(Decode("--device /dev/null"),
              "zorvane-decode: cannot open /dev/null: /dev/null: not a serial port\nexit 1\n");
}

TEST_F(DecodeTool, DeviceLeftCookedLogsChangesLinkDropsAndItsLoss) {
    // \310 is "Č" in Windows-1250; the 25th input name stands beside lamp 26 and back.
    std::string names = "IN\r\n\310erpadlo\r\n";
    for (int n = 2; n <= 26; ++n)
        names += "n" + std::to_string(n) + "\r\n";
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_TRUE(master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0);
    const int slave = open(ptsname(master), O_RDWR | O_NOCTTY | O_CLOEXEC);  // to see it drained
    // Linked as COM1 and unlinked when it goes, as a pseudo-terminal's number is soon reused.
    const std::string com1 = dir_ + "/COM1";
    ASSERT_EQ(symlink(ptsname(master), com1.c_str()), 0);
    const std::string args = "--device " + com1 + " --changes --names " + Write("names.ini", names);
    auto run = std::async(std::launch::async, [&] { return Decode(args, "", 1.5); });
    termios tio{};  // the master reports the terminal's settings: raw once the tool set it up
    ASSERT_TRUE(WaitFor([&] { return tcgetattr(master, &tio) == 0 && !(tio.c_lflag & ICANON); }));
    // CR and LF in the data: a cooked terminal would change them or hold them back.
    const std::string a = Wire({{0x0D, 0x0A, 0, 0x01, 0, 0, 0, 0}}),
                      b = Wire({{0x0A, 0x0A, 0, 0x02, 0, 0, 0, 0x80}}), aaab = a + a + a + b;
    int unread = -1;
    const auto drained = [&] { return ioctl(slave, FIONREAD, &unread) == 0 && unread == 0; };
    ASSERT_EQ(write(master, aaab.data(), aaab.size()), ssize_t(aaab.size()));
    // The silence counts from when the tool took the frames: a tool held off the CPU for
    // longer than the silence less 40 ms would see none.
    ASSERT_TRUE(WaitFor(drained));
    std::this_thread::sleep_for(300ms);
    ASSERT_EQ(write(master, b.data(), b.size()), ssize_t(b.size()));
    ASSERT_TRUE(WaitFor(drained));
    close(slave);
    std::this_thread::sleep_for(100ms);
    unlink(com1.c_str());  // the device goes away
    close(master);
    const std::string out = run.get();
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
