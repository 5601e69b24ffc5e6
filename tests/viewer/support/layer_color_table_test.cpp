#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "scratch_folder.h"
#include "support/layer_color_table.h"

namespace {

constexpr std::uint32_t grey = 0x00C8C8C8;

class LayerColorFileTest : public ::testing::Test {
protected:
    std::string file(const std::string &content)
    {
        std::string path = folder + "/colors" + std::to_string(++count) + ".txt";
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }

    skeltest::scratch_folder scratch;
    const std::string folder = scratch.path();
    int count = 0;
    layer_color_table table;
};

} // namespace

TEST_F(LayerColorFileTest, EmptyOrMissingFileGivesDefaultGrey)
{
    LoadLayerColorFile(table, file("").c_str());
    ASSERT_EQ(table.size(), 256u);
    EXPECT_EQ(table[0], grey);
    EXPECT_EQ(table[255], grey);
    LoadLayerColorFile(table, (folder + "/missing.txt").c_str());
    EXPECT_EQ(table.size(), 256u);
    EXPECT_EQ(*LookupLayerColor(table, 17), grey);
    EXPECT_FALSE(LookupLayerColor(table, 256));
    EXPECT_FALSE(LookupLayerColor(table, -1));
    EXPECT_FALSE(LookupLayerColor(layer_color_table{}, 0));
}

TEST_F(LayerColorFileTest, EntriesCommentsAndSeparators)
{
    LoadLayerColorFile(table, file("# header\r\n"
                                   "Walls;1;255,0,0;\r\n"
                                   "\r\n"
                                   "x;3;10,20,30\n"
                                   "#;4;1,1,1;\n"
                                   " #;5;255,0,0;\n"
                                   "y;6; 7 ,+8x,-1;trailing;;\n"
                                   "z;7;256,300,2\n"
                                   "x;3;40,50,60;\n")
                                  .c_str());
    EXPECT_EQ(table[1], 0x0000FFu);
    EXPECT_EQ(table[3], 0x3C3228u); // the later line wins
    EXPECT_EQ(table[4], grey);      // a comment
    EXPECT_EQ(table[5], 0x0000FFu); // a blank first: an entry
    EXPECT_EQ(table[6], 0xFF0807u); // atoi-like: spaces, sign, trailing text; -1 is 255
    EXPECT_EQ(table[7], 0x022C00u); // low bytes: 256 -> 0, 300 -> 44
}

TEST_F(LayerColorFileTest, LineWithoutSeparatorsSetsNumberZeroBlack)
{
    LoadLayerColorFile(table, file("just a label\n").c_str());
    EXPECT_EQ(table[0], 0u);
    EXPECT_EQ(table[1], grey);
}

TEST_F(LayerColorFileTest, LargeNumbersGrowTheTableWithBlack)
{
    LoadLayerColorFile(table, file("x;300;1,2,3\n").c_str());
    ASSERT_EQ(table.size(), 301u);
    EXPECT_EQ(table[256], 0u);
    EXPECT_EQ(table[299], 0u);
    EXPECT_EQ(table[300], 0x030201u);

    // A later load keeps entries above 255 and resets the rest.
    LoadLayerColorFile(table, file("a;5;9,9,9\n").c_str());
    EXPECT_EQ(table.size(), 301u);
    EXPECT_EQ(table[300], 0x030201u);
    LoadLayerColorFile(table, file("b;6;9,9,9\n").c_str());
    EXPECT_EQ(table[5], grey);
}

TEST_F(LayerColorFileTest, NegativeOrHugeNumbersAreSkipped)
{
    LoadLayerColorFile(table, file("a;-1;1,2,3\n"
                                   "b;65536;1,2,3\n"
                                   "c;99999999999999999999999;1,2,3\n"
                                   "d;65535;4,5,6\n")
                                  .c_str());
    EXPECT_EQ(table.size(), 65536u);
    EXPECT_EQ(table[65535], 0x060504u);
    EXPECT_EQ(table[0], grey);
}

TEST_F(LayerColorFileTest, TheViewersTableIsShared)
{
    LoadLayerColorFile(file("w;2;0,0,255\n").c_str());
    ASSERT_TRUE(LookupLayerColor(2));
    EXPECT_EQ(*LookupLayerColor(2), 0xFF0000u);
}
