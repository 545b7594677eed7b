// Every file of the fuzzer's corpus, its finds included, loads safely through the real file path.
#include <gtest/gtest.h>

#include <filesystem>

#include "LoadNames.h"
#include "NamesTestSupport.h"
#include "Utf8.h"

namespace zorvane {
namespace {

TEST(NamesCorpus, EveryCorpusFileLoadsIntoValidCaptions) {
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(NAMES_CORPUS_DIR)) {
        ++files;
        test::RecordingSink sink;
        ASSERT_TRUE(LoadNamesFile(entry.path(), sink)) << entry.path();
        EXPECT_EQ(sink.calls, static_cast<int>(sink.captions.size())) << entry.path();
        for (const auto& [label, caption] : sink.captions) {
            EXPECT_TRUE(label >= 1 && label <= 64) << entry.path();
            EXPECT_TRUE(IsValidUtf8(caption)) << entry.path() << " Label" << label;
            EXPECT_LE(caption.size(), 36u) << entry.path();  // 12 bytes, 3 UTF-8 bytes at most each
        }
    }
    EXPECT_GT(files, 0) << "no corpus in " << NAMES_CORPUS_DIR;
}

}  // namespace
}  // namespace zorvane
