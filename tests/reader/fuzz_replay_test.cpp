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

#include "saved_inputs.h"
#include "fuzz_target.h"
#include "scratch_folder.h"
#include "tvlaccess.h"

namespace {

const std::filesystem::path corpus = FUZZ_CORPUS_DIR;

TEST(ReaderFuzzReplay, SavedInputsRunCleanly)
{
    const auto inputs = saved_inputs(corpus);
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
    ASSERT_FALSE(seeds.empty());
    skeltest::scratch_folder work; // TEMP points into it, so the work files go with it
    ta_init(count_entity, nullptr, nullptr);
    for (const auto &path : seeds) {
        SCOPED_TRACE(path.string());
        entities_seen = 0;
        EXPECT_TRUE(ta_tvldef(path.c_str(), "A"));
        // BLOCK, at least one entity, ENDBLK.
        EXPECT_GE(entities_seen, 3);
    }
}

} // namespace
