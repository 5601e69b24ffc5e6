// Every saved input of each layer's harness, run through the harness without
// libFuzzer: findings kept as named files must stay fixed.
#include <fstream>
#include <iterator>
#include <vector>

#include <gtest/gtest.h>

#include "saved_inputs.h"
#include "bridge/fuzz_target.h"
#include "cx/fuzz_target.h"
#include "dxf/fuzz_target.h"
#include "entities/fuzz_target.h"
#include "roundtrip/fuzz_target.h"
#include "viewer/fuzz_targets.h"

namespace {

struct harness {
    const char *name;
    int (*run)(const std::uint8_t *, std::size_t);
};

class Replay : public ::testing::TestWithParam<harness> {};

TEST_P(Replay, SavedInputsRunCleanly)
{
    const auto inputs = saved_inputs(std::filesystem::path(FUZZ_SAVED_INPUTS) / GetParam().name);
    // An empty input and a few plain ones run even before anything is saved.
    std::vector<std::vector<std::uint8_t>> runs = {{}, {0}, std::vector<std::uint8_t>(64, 0xFF)};
    for (const auto &path : inputs) {
        std::ifstream in(path, std::ios::binary);
        runs.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    for (std::size_t i = 0; i < runs.size(); ++i) {
        SCOPED_TRACE(i < 3 ? "built-in input" : inputs[i - 3].string());
        EXPECT_EQ(GetParam().run(runs[i].data(), runs[i].size()), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Layers, Replay,
                         ::testing::Values(harness{"cx", cx_fuzz_one}, harness{"entities", entities_fuzz_one},
                                           harness{"callbacks", callbacks_fuzz_one},
                                           harness{"colors", colors_fuzz_one}, harness{"faces", faces_fuzz_one},
                                           harness{"bridge", bridge_fuzz_one},
                                           harness{"roundtrip", roundtrip_fuzz_one}, harness{"dxf", dxf_fuzz_one}),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
