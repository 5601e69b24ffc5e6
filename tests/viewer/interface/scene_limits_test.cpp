// A block bigger than the scene can hold: the load fails and says which limit
// was reached, instead of handing part of the block on as the whole.
#include <memory>
#include <string>

#include "render/scene_functions.h"
#include "scratch_folder.h"
#include "tavrel_scene.h"
#include "tavrel_viewer.h"
#include "writer/entity_encoder.h"
#include "writer/library.h"

#include <gtest/gtest.h>

namespace {

// 72 chords a circle: 27,000 circles stay below the 2,000,000 lines a scene
// holds, 28,000 go past it.  Repeated circles cost a byte each in the library.
constexpr int circles_within = 27000;
constexpr int circles_beyond = 28000;

class scene_limits : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        scratch_ = std::make_unique<skeltest::scratch_folder>();
        library_ = scratch_->file("circles.tvl");
        tvlw::LibraryWriter writer;
        const tvlw::Entity circle{"CIRCLE", {{8, "0"}, {10, tvlw::Point{0, 0, 0}}, {40, 1.0}}};
        writer.add_block("WITHIN", tvlw::encode_block(writer.settings(), 0, {}, "",
                                                      std::vector<tvlw::Entity>(circles_within, circle)));
        writer.add_block("BEYOND", tvlw::encode_block(writer.settings(), 0, {}, "",
                                                      std::vector<tvlw::Entity>(circles_beyond, circle)));
        ASSERT_TRUE(writer.save(library_));
    }
    static void TearDownTestSuite() { scratch_.reset(); }
    void TearDown() override { v.DeleteObjects(); }

    // What the viewer printed while the symbol loaded, and the load's result.
    std::string load(const char *block, int &result)
    {
        v.SetLibrary(library_.c_str());
        v.SetBlockName(block);
        testing::internal::CaptureStdout();
        result = v.LoadSymbol();
        return testing::internal::GetCapturedStdout();
    }

    // One library for the suite: writing it takes longer than a load.
    static std::unique_ptr<skeltest::scratch_folder> scratch_;
    static std::string library_;
    cl_export_functions v;
};

std::unique_ptr<skeltest::scratch_folder> scene_limits::scratch_;
std::string scene_limits::library_;

} // namespace

TEST_F(scene_limits, a_block_past_the_line_limit_fails_once_with_its_message)
{
    int result = 0;
    EXPECT_EQ(load("BEYOND", result), "\nERROR: Scene exceeds 2000000 lines.");
    EXPECT_EQ(result, -2);
    EXPECT_EQ(v.GetLoadResult(), -2);
    ASSERT_NE(current_scene, nullptr);
    EXPECT_EQ(current_scene->lines.size(), 2000000u); // bounded, and kept as for other failed loads

    // The next load starts afresh: a block within the limits loads and says nothing.
    EXPECT_EQ(load("WITHIN", result), "");
    EXPECT_EQ(result, 1);
    EXPECT_EQ(current_scene->lines.size(), 72u * circles_within);
}

TEST_F(scene_limits, the_scene_for_tools_is_refused_and_not_written)
{
    std::FILE *out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    testing::internal::CaptureStdout();
    const int loaded = tavrel_write_scene(library_.c_str(), "BEYOND", nullptr, out);
    const std::string said = testing::internal::GetCapturedStdout();
    EXPECT_EQ(loaded, -2);
    EXPECT_EQ(said, "\nERROR: Scene exceeds 2000000 lines.");
    EXPECT_EQ(std::ftell(out), 0L);
    std::fclose(out);
    EXPECT_EQ(current_scene, nullptr);
}
