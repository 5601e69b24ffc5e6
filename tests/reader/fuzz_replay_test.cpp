// Replays every saved fuzzer input through the harness, without libFuzzer, and
// checks that the seed libraries (written by the writer) still read in full.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "../saved_inputs.h"
#include "fuzz_target.h"
#include "tvlaccess.h"

namespace {

const std::filesystem::path corpus = FUZZ_CORPUS_DIR;

TEST(ReaderFuzzReplay, SavedInputsRunCleanly)
{
    const auto inputs = saved_inputs(corpus);
    if (inputs.empty())
        GTEST_SKIP() << "no saved inputs";
    for (const auto &path : inputs) {
        std::ifstream in(path, std::ios::binary);
        const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
        SCOPED_TRACE(path.string());
        EXPECT_EQ(reader_fuzz_one(bytes.data(), bytes.size()), 0);
    }
    RecordProperty("replayed", static_cast<int>(inputs.size()));
}

int entities_seen = 0;

int count_entity(const resbuf *chain)
{
    if (chain)
        ++entities_seen;
    return RB_OK;
}

TEST(ReaderFuzzReplay, SeedLibrariesDefineTheirSymbol)
{
    const auto seeds = saved_inputs(corpus / "seeds");
    if (seeds.empty())
        GTEST_SKIP() << "no seeds";
    std::string temp = (std::filesystem::temp_directory_path() / "tvlseeds-XXXXXX").string();
    ASSERT_NE(mkdtemp(temp.data()), nullptr);
    setenv("TEMP", temp.c_str(), 1);
    ta_init(count_entity, nullptr, nullptr);
    for (const auto &path : seeds) {
        SCOPED_TRACE(path.string());
        entities_seen = 0;
        EXPECT_TRUE(ta_tvldef(path.c_str(), "A"));
        // BLOCK, at least one entity, ENDBLK.
        EXPECT_GE(entities_seen, 3);
    }
    std::filesystem::remove_all(temp);
}

} // namespace
