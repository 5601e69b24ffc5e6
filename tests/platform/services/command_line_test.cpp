#include <gtest/gtest.h>

#include "skelvane/process.h"

using args = std::vector<std::string>;

TEST(SplitCommandLine, BlanksSeparateAndProgramNameKeepsBackslashes)
{
    EXPECT_EQ(skel_split_command_line("C:\\dir\\pellimax.exe -xC:\\t\\r.txt -pAB12 -m"),
              (args{"C:\\dir\\pellimax.exe", "-xC:\\t\\r.txt", "-pAB12", "-m"}));
    EXPECT_EQ(skel_split_command_line("  prog \t a   b  "), (args{"prog", "a", "b"}));
    EXPECT_TRUE(skel_split_command_line("   ").empty());
}

TEST(SplitCommandLine, QuotedProgramNameEndsAtTheNextQuote)
{
    EXPECT_EQ(skel_split_command_line("\"C:\\Program Files\\x.exe\" -a"), (args{"C:\\Program Files\\x.exe", "-a"}));
    EXPECT_EQ(skel_split_command_line("\"C:\\a\\\" b"), (args{"C:\\a\\", "b"}));
}

TEST(SplitCommandLine, QuotesAndBackslashesFollowTheWindowsRules)
{
    EXPECT_EQ(skel_split_command_line("p \"a b\" c"), (args{"p", "a b", "c"}));
    EXPECT_EQ(skel_split_command_line("p -x\"C:\\my dir\\r.txt\""), (args{"p", "-xC:\\my dir\\r.txt"}));
    EXPECT_EQ(skel_split_command_line("p a\\\\b"), (args{"p", "a\\\\b"}));      // no quote: kept
    EXPECT_EQ(skel_split_command_line("p a\\\\\"b c\""), (args{"p", "a\\b c"})); // 2n: n and a quote toggle
    EXPECT_EQ(skel_split_command_line("p a\\\"b"), (args{"p", "a\"b"}));        // 2n+1: a literal quote
    EXPECT_EQ(skel_split_command_line("p \"\" x"), (args{"p", "", "x"}));
    EXPECT_EQ(skel_split_command_line("p \"a\"\"b\""), (args{"p", "a\"b"}));
}

TEST(SplitCommandLine, NothingIsInterpretedAsAShellWould)
{
    EXPECT_EQ(skel_split_command_line("p a;rm -rf x&&y|z $(w) `v`"),
              (args{"p", "a;rm", "-rf", "x&&y|z", "$(w)", "`v`"}));
}
