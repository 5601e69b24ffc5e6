// The full drawing mode on what the reader really delivers: nested blocks
// first, the symbol's block last.
#include <unistd.h>

#include <filesystem>

#include "chain_builder.h"
#include "interface/block_loader.h"
#include "scratch_folder.h"
#include "state/drawing_mode.h"
#include "writer/entity_encoder.h"
#include "writer/library.h"

namespace {

using make = tvlw::EntityBuilder;

class full_load : public scene_test {
protected:
    void SetUp() override
    {
        scene_test::SetUp();
        file_ = scratch_.file("full_load.tvl");
        tvlw::LibraryWriter writer;
        writer.add_layer("0", 7, 0, "CONTINUOUS");
        tvlw::BlockOptions nested;
        nested.listed = false;
        writer.add_block("PIN", tvlw::encode_block(writer.settings(), 0, {1, 0, 0}, "",
                                                   {make("LINE")(10, tvlw::Point{1, 0, 0})(11, tvlw::Point{2, 0, 0})}),
                         nested);
        tvlw::BlockOptions symbol;
        symbol.dependencies = {{tvlw::type_layer, "0", 0, {}}, {tvlw::type_block, "PIN", 0, {}}};
        writer.add_block("PART",
                         tvlw::encode_block(writer.settings(), 0, {}, "",
                                            {make("INSERT")(2, "PIN")(10, tvlw::Point{5, 0, 0})(50, 90.0),
                                             make("INSERT")(2, "PIN")(10, tvlw::Point{0, 5, 0})}),
                         symbol);
        ASSERT_TRUE(writer.save(file_));
    }
    void TearDown() override
    {
        drawing_mode = drawing_mode_classic;
        scene_test::TearDown();
    }
    skeltest::scratch_folder scratch_;
    std::string file_;
};

TEST_F(full_load, references_place_the_nested_block_and_the_classic_mode_keeps_it_at_its_origin)
{
    drawing_mode = drawing_mode_full;
    ASSERT_EQ(load_block_definition(file_.c_str(), "PART"), 1);
    ASSERT_EQ(lines().size(), 2u);
    expect_point(lines()[0].start, 5, 0, 0);
    expect_point(lines()[0].end, 5, 1, 0);
    expect_point(lines()[1].start, 0, 5, 0);
    expect_point(lines()[1].end, 1, 5, 0);

    current_scene->lines.clear();
    drawing_mode = drawing_mode_classic;
    ASSERT_EQ(load_block_definition(file_.c_str(), "PART"), 1);
    ASSERT_EQ(lines().size(), 1u);
    expect_point(lines()[0].start, 1, 0, 0);
    expect_point(lines()[0].end, 2, 0, 0);
}

} // namespace
