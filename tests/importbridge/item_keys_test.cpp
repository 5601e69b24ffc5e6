#include <gtest/gtest.h>

#include <cstdio>

#include "item_keys.h"

namespace {

item_keys keys_of(const std::string &text)
{
    std::FILE *f = std::tmpfile();
    std::fwrite(text.data(), 1, text.size(), f);
    std::rewind(f);
    item_keys keys = read_item_keys(f);
    std::fclose(f);
    return keys;
}

} // namespace

TEST(ItemKeys, LinesAreCutAtTheFirstBlankOrLineEnd)
{
    EXPECT_EQ(keys_of("PN=AB 12\nMC=X9\r\n").pn, "AB");
    EXPECT_EQ(keys_of("PN=AB 12\nMC=X9\r\n").mc, "X9");
    EXPECT_EQ(keys_of("MC=K1\tx\n").mc, "K1\tx"); // only a blank cuts, not a tab
}

TEST(ItemKeys, KeysAreExactAndTheLaterLineCounts)
{
    const item_keys keys = keys_of("pn=lower\nPN =spaced\nPN=first\nXY=other\nPN=second\nPN\nMC=\n");
    EXPECT_EQ(keys.pn, "second");
    EXPECT_EQ(keys.mc, "");
    EXPECT_EQ(keys_of("nothing here\n").pn, "");
    EXPECT_EQ(keys_of("").mc, "");
}

TEST(ItemKeys, LongLinesAreReadIn127CharacterPieces)
{
    // The piece after the first 127 characters is a line of its own.
    const std::string filler(127, 'z');
    EXPECT_EQ(keys_of(filler + "PN=TAIL\n").pn, "TAIL");
    const item_keys keys = keys_of("PN=" + std::string(124, 'a') + "MC=CUT\n");
    EXPECT_EQ(keys.pn, std::string(124, 'a'));
    EXPECT_EQ(keys.mc, "CUT");
}

TEST(ItemKeys, LimitsOfTheValues)
{
    EXPECT_TRUE(item_keys_fit({std::string(39, 'p'), std::string(11, 'm')}));
    EXPECT_FALSE(item_keys_fit({std::string(40, 'p'), ""}));
    EXPECT_FALSE(item_keys_fit({"", std::string(12, 'm')}));
}
