// Replays every saved fuzzer input of the converter without libFuzzer, so that
// each build checks them, and checks that the seeds still tessellate in full.
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "saved_inputs.h"
#include "fuzz_target.h"
#include "sat_model.h"
#include "sat_text.h"
#include "solid_mesher.h"

namespace {

const std::filesystem::path corpus = VORSTEP_FUZZ_CORPUS_DIR;

std::string read_all(const std::filesystem::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

bool finite(const v3 &p)
{
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

TEST(VorstepFuzzReplay, SavedInputsRunCleanly)
{
    const auto inputs = saved_inputs(corpus);
    ASSERT_FALSE(inputs.empty());
    for (const auto &path : inputs) {
        const std::string bytes = read_all(path);
        SCOPED_TRACE(path.string());
        EXPECT_EQ(vorstep_fuzz_one(reinterpret_cast<const std::uint8_t *>(bytes.data()), bytes.size()), 0);
    }
}

// Whatever the input, the converter hands out only finite triangles and says
// what it skipped.
TEST(VorstepFuzzReplay, SavedInputsGiveFiniteTrianglesOrSaySo)
{
    for (const auto &path : saved_inputs(corpus)) {
        SCOPED_TRACE(path.string());
        sat_text sat;
        std::string error;
        if (!sat_split(read_all(path), sat, error)) {
            EXPECT_FALSE(error.empty());
            continue;
        }
        sat_model model;
        std::vector<std::string> warnings;
        if (!sat_build_model(sat, model, warnings))
            continue;
        mesh_result mesh;
        mesh_model(model, model_tolerance(model), mesh);
        for (const auto &t : mesh.triangles) {
            ASSERT_TRUE(finite(t.a) && finite(t.b) && finite(t.c));
        }
        if (mesh.faces_skipped > 0) {
            EXPECT_FALSE(mesh.warnings.empty());
        }
    }
}

TEST(VorstepFuzzReplay, SeedsTessellateEveryFace)
{
    const auto seeds = saved_inputs(corpus / "seeds");
    ASSERT_FALSE(seeds.empty());
    for (const auto &path : seeds) {
        SCOPED_TRACE(path.string());
        sat_text sat;
        std::string error;
        ASSERT_TRUE(sat_split(read_all(path), sat, error)) << error;
        sat_model model;
        std::vector<std::string> warnings;
        ASSERT_TRUE(sat_build_model(sat, model, warnings));
        EXPECT_TRUE(warnings.empty());
        mesh_result mesh;
        mesh_model(model, model_tolerance(model), mesh);
        EXPECT_EQ(mesh.faces_skipped, 0);
        EXPECT_FALSE(mesh.triangles.empty());
    }
}

// Numbers no real solid has are refused with a line naming the record, not
// tessellated into millions of triangles.
TEST(VorstepFuzzReplay, OutOfRangeSurfacesAreSkippedAndNamed)
{
    for (const char *name : {"sphere-radius-overflows.sat", "sphere-radius-underflows.sat",
                             "torus-radius-overflows.sat", "transform-scale-overflows.sat"}) {
        SCOPED_TRACE(name);
        sat_text sat;
        std::string error;
        ASSERT_TRUE(sat_split(read_all(corpus / name), sat, error)) << error;
        sat_model model;
        std::vector<std::string> warnings;
        ASSERT_TRUE(sat_build_model(sat, model, warnings));
        ASSERT_EQ(warnings.size(), 1u);
        EXPECT_NE(warnings[0].find("surface record 5"), std::string::npos) << warnings[0];
        EXPECT_NE(warnings[0].find("out of range"), std::string::npos) << warnings[0];
        mesh_result mesh;
        mesh_model(model, model_tolerance(model), mesh);
        EXPECT_EQ(mesh.faces_skipped, 1);
        EXPECT_TRUE(mesh.triangles.empty());
        EXPECT_FALSE(mesh.warnings.empty());
    }
}

// A circle through one vertex counts towards the model's size, so a thin
// disc is not cut into thousands of chords.
TEST(VorstepFuzzReplay, ClosedEllipseSetsTheModelSize)
{
    sat_text sat;
    std::string error;
    ASSERT_TRUE(sat_split(read_all(corpus / "closed-ellipse-beyond-vertices.sat"), sat, error));
    sat_model model;
    std::vector<std::string> warnings;
    ASSERT_TRUE(sat_build_model(sat, model, warnings));
    EXPECT_GT(model_tolerance(model), 1e11);
}

TEST(VorstepFuzzReplay, TriangleLimitSkipsTheRestAndSaysSo)
{
    sat_text sat;
    std::string error;
    ASSERT_TRUE(sat_split(read_all(corpus / "seeds" / "box.sat"), sat, error));
    sat_model model;
    std::vector<std::string> warnings;
    ASSERT_TRUE(sat_build_model(sat, model, warnings));
    mesh_result mesh;
    mesh_model(model, model_tolerance(model), mesh, 5);
    EXPECT_EQ(mesh.faces_meshed, 2);
    EXPECT_EQ(mesh.faces_skipped, 4);
    EXPECT_EQ(mesh.triangles.size(), 4u);
    ASSERT_EQ(mesh.warnings.size(), 1u);
    EXPECT_EQ(mesh.warnings[0], "skipped faces beyond the limit of 5 triangles");
}

} // namespace
