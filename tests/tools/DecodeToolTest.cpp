#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "Frame.h"

namespace {

struct ToolRun {
    int status = -1;
    std::string out;
};

// Runs zorvane-decode with `args`, feeding `input` through a file; stderr is discarded.
ToolRun Decode(const std::string& args, const std::vector<std::uint8_t>& input = {}) {
    // One file per test: CTest runs the cases in parallel.
    const auto* test = testing::UnitTest::GetInstance()->current_test_info();
    const std::string inPath =
        testing::TempDir() + "decode-" + test->name() + "-" + std::to_string(getpid()) + ".bin";
    std::ofstream(inPath, std::ios::binary)
        .write(reinterpret_cast<const char*>(input.data()),
               static_cast<std::streamsize>(input.size()));
    const std::string cmd =
        std::string(ZORVANE_DECODE) + " " + args + " < " + inPath + " 2>/dev/null";
    ToolRun run;
    std::FILE* p = popen(cmd.c_str(), "r");
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;)
        run.out.append(buf, n);
    run.status = WEXITSTATUS(pclose(p));
    std::remove(inPath.c_str());
    return run;
}

const std::vector<std::uint8_t> kExample = {0xAA, 0x01, 0x02, 0x03, 0x04, 0x05,
                                            0x0F, 0xAA, 0x10, 0x20, 0x30, 0x60};
const std::string kDone = "rd:1 bfcnt:9 prijem:1 faze2:1 prijem2:1 PLCerr:0";

TEST(DecodeTool, PrintsOneLinePerFrameWithTheCompletingOffset) {
    auto twice = kExample;
    twice.insert(twice.end(), kExample.begin(), kExample.end());
    const ToolRun run = Decode("", twice);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "11 01 02 03 04 05 10 20 30 " + kDone + "\n23 01 02 03 04 05 10 20 30 " +
                           kDone + "\n");
}

TEST(DecodeTool, TracePrintsEveryByteWithTheStateBeforeIt) {
    const ToolRun run = Decode("--trace", kExample);
    ASSERT_EQ(run.status, 0);
    EXPECT_EQ(run.out.substr(0, run.out.find('\n')),
              "0 aa rd:1 bfcnt:0 prijem:0 faze2:0 prijem2:0 PLCerr:0");
    EXPECT_NE(run.out.find("\n7 aa rd:1 bfcnt:6 prijem:1 faze2:1 prijem2:0 PLCerr:0\n"),
              std::string::npos);
    EXPECT_TRUE(run.out.ends_with("\n11 60 " + kDone + " frame\n"));
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 12);
}

TEST(DecodeTool, OffsetsRunOnAcrossReadChunks) {
    // 100000 frames: 1.2 MB, more than one read buffer.
    std::vector<std::uint8_t> stream;
    for (int i = 0; i < 100000; ++i) {
        const auto w = zorvane::EncodeFrame({{0, 0, 0, 0, static_cast<std::uint8_t>(i), 1, 2, 3}});
        stream.insert(stream.end(), w.begin(), w.end());
    }
    const ToolRun run = Decode("-", stream);
    ASSERT_EQ(run.status, 0);
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 100000);
    EXPECT_TRUE(run.out.ends_with("\n1199999 00 00 00 00 9f 01 02 03 " + kDone + "\n"));
}

TEST(DecodeTool, FailuresHaveExitStatusAndNoOutput) {
    struct Case {
        const char* args;
        int status;
    } cases[] = {{"/nonexistent/capture.bin", 1}, {"/", 1}, {"--bogus", 2}, {"a b", 2}};
    for (const auto& c : cases) {
        const ToolRun run = Decode(c.args, kExample);
        EXPECT_EQ(run.status, c.status) << c.args;
        EXPECT_EQ(run.out, "") << c.args;
    }
    EXPECT_EQ(Decode("--help").status, 0);
}

}  // namespace
