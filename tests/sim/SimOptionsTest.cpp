#include <gtest/gtest.h>

#include <functional>

#include "SimOptions.h"

namespace zorvane::sim {
namespace {

struct GoodCase {
    std::vector<std::string> args;
    std::function<void(const SimOptions&)> check;
};

TEST(SimOptions, AcceptsWhatATesterTypes) {
    const std::vector<GoodCase> cases = {
        {{},
         [](const SimOptions& o) {
             EXPECT_EQ(o.output, OutputKind::Pty);
             EXPECT_EQ(o.link, "./COM1");
             EXPECT_EQ(o.pattern.kind, PatternKind::Walk);
             EXPECT_FALSE(o.rateMilliFps);
             EXPECT_EQ(o.frames, 0u);
             EXPECT_EQ(o.seed, 1u);
         }},
        {{"--stdout", "--frames", "1000", "--unpaced"},
         [](const SimOptions& o) {
             EXPECT_EQ(o.output, OutputKind::Stdout);
             EXPECT_EQ(o.frames, 1000u);
             EXPECT_TRUE(o.unpaced);
         }},
        {{"--link=COM3", "--rate", "12.5"},
         [](const SimOptions& o) {
             EXPECT_EQ(o.link, "COM3");
             EXPECT_EQ(o.rateMilliFps, 12500u);
         }},
        {{"--device", "/dev/pts/9"},
         [](const SimOptions& o) {
             EXPECT_EQ(o.output, OutputKind::Device);
             EXPECT_EQ(o.device, "/dev/pts/9");
         }},
        {{"--pattern", "fixed:0102030405A0b0C0"},
         [](const SimOptions& o) {
             EXPECT_EQ(o.pattern.kind, PatternKind::Fixed);
             const std::array<std::uint8_t, 8> want{1, 2, 3, 4, 5, 0xA0, 0xB0, 0xC0};
             EXPECT_EQ(o.pattern.fixed, want);
         }},
        {{"--silence", "200/1000", "--plc-silent", "--corrupt", "0.25", "--seed", "42"},
         [](const SimOptions& o) {
             EXPECT_EQ(o.silence, (SilenceSpec{200, 1000}));
             EXPECT_TRUE(o.plcSilent);
             EXPECT_DOUBLE_EQ(o.corrupt, 0.25);
             EXPECT_EQ(o.seed, 42u);
         }},
        {{"--replay", "cap.bin", "--loop"},
         [](const SimOptions& o) {
             EXPECT_EQ(o.replay, "cap.bin");
             EXPECT_TRUE(o.loop);
         }},
        {{"--frames", "5", "--help", "--bogus"}, [](const SimOptions& o) { EXPECT_TRUE(o.help); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        SimOptions o;
        std::string error;
        ASSERT_TRUE(ParseSimOptions(c.args, o, error)) << error;
        c.check(o);
    }
}

struct BadCase {
    std::vector<std::string> args;
    std::string mentions;  // the message must name what is wrong
};

const std::vector<BadCase> kBadCases = {
    {{"--bogus"}, "--bogus"},
    {{"COM1"}, "COM1"},
    {{"--frames"}, "--frames"},
    {{"--frames", "0"}, "--frames"},
    {{"--frames", "-3"}, "--frames"},
    {{"--frames", "12x"}, "12x"},
    {{"--frames", "99999999999999999999999"}, "--frames"},
    {{"--rate", "0"}, "--rate"},
    {{"--rate", "-5"}, "--rate"},
    {{"--rate", "nan"}, "--rate"},
    {{"--rate", "2000000"}, "--rate"},
    {{"--rate", "10", "--unpaced"}, "--unpaced"},
    {{"--pattern", "zigzag"}, "zigzag"},
    {{"--pattern", "fixed:0102"}, "--pattern"},
    {{"--pattern", "fixed:010203040506070G"}, "--pattern"},
    {{"--silence", "100"}, "--silence"},
    {{"--silence", "1000/1000"}, "--silence"},
    {{"--silence", "0/100"}, "--silence"},
    {{"--corrupt", "1.5"}, "--corrupt"},
    {{"--corrupt", "-0.1"}, "--corrupt"},
    {{"--seed", "abc"}, "--seed"},
    {{"--stdout=yes"}, "--stdout"},
    {{"--stdout", "--link", "COM2"}, "--link"},
    {{"--stdout", "--device", "/dev/pts/1"}, "--device"},
    {{"--loop"}, "--replay"},
    {{"--replay", "cap.bin", "--pattern", "count"}, "--replay"},
    {{"--replay", "cap.bin", "--frames", "10"}, "--replay"},
    {{"--link", ""}, "--link"},
};

TEST(SimOptions, RejectsBadArgumentsNamingTheCulprit) {
    for (const auto& c : kBadCases) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        SimOptions o;
        std::string error;
        EXPECT_FALSE(ParseSimOptions(c.args, o, error));
        EXPECT_NE(error.find(c.mentions), std::string::npos) << error;
    }
}

TEST(SimOptions, UsageDocumentsEveryOption) {
    const std::string usage = UsageText();
    for (const char* name : {"--link", "--stdout", "--device", "--rate", "--unpaced", "--pattern",
                             "--plc-silent", "--corrupt", "--seed", "--replay", "--loop",
                             "--frames", "--silence", "--help", "fixed:HEX16"})
        EXPECT_NE(usage.find(name), std::string::npos) << name;
}

}  // namespace
}  // namespace zorvane::sim
