// Replays every saved fuzzer input through the harness, without libFuzzer.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include <gtest/gtest.h>

#include "fuzz_target.h"

TEST(ReaderFuzzReplay, SavedInputsRunCleanly)
{
    const std::filesystem::path corpus = FUZZ_CORPUS_DIR;
    if (!std::filesystem::is_directory(corpus))
        GTEST_SKIP() << "no saved inputs";
    int replayed = 0;
    for (const auto &entry : std::filesystem::directory_iterator(corpus)) {
        if (!entry.is_regular_file())
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
        SCOPED_TRACE(entry.path().string());
        EXPECT_EQ(reader_fuzz_one(bytes.data(), bytes.size()), 0);
        ++replayed;
    }
    RecordProperty("replayed", replayed);
}
