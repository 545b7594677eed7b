// Replays the fuzzer's corpus (and every crash it ever found) through the receiver.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

TEST(ReceiverCorpus, EveryStoredInputKeepsTheInvariants) {
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(RECEIVER_CORPUS)) {
        std::ifstream in(entry.path(), std::ios::binary);
        const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
        SCOPED_TRACE(entry.path().string());
        EXPECT_EQ(LLVMFuzzerTestOneInput(bytes.data(), bytes.size()), 0);
        ++files;
    }
    EXPECT_GT(files, 0);
}
