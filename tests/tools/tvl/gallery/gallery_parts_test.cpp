// The gallery's parts: facts files, cache keys, HTML text, colour swatches,
// atomic files and the cache's clean-up.
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "atomic_file.h"
#include "colour_file.h"
#include "facts_file.h"
#include "hash.h"
#include "html_text.h"
#include "picture_cache.h"
#include "scratch_folder.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

class gallery_parts : public ::testing::Test {
protected:
    std::string path(const std::string &name) const { return dir_.file(name); }

    skeltest::scratch_folder dir_;
};

symbol_facts odd_symbol()
{
    symbol_facts s;
    s.name = "A\tB%41\nC\xE9";
    s.delivered = true;
    s.loaded = true;
    s.definition = 0xfedcba9876543210ull;
    s.view = "iso";
    s.layers = {{"WALLS", 1}, {"with\ttab", -3}};
    s.counts = {{"LINE", 12}, {"3DFACE", 1}};
    s.nested = {{"PIN", 2}};
    s.has_extent = true;
    s.low[0] = -0.1;
    s.low[2] = 1e-300;
    s.high[1] = 1.0 / 3.0;
    return s;
}

TEST_F(gallery_parts, facts_survive_the_file_with_any_name_and_exact_reals)
{
    const facts_stamp stamp{"/x/lib.tvl", 10, 20, "mode=full"};
    symbol_facts plain;
    plain.name = "EMPTY";
    ASSERT_TRUE(save_facts(path("f.facts"), stamp, {odd_symbol(), plain}));
    std::vector<symbol_facts> back;
    ASSERT_TRUE(load_facts(path("f.facts"), stamp, back));
    ASSERT_EQ(back.size(), 2u);
    const symbol_facts &s = back[0];
    EXPECT_EQ(s.name, odd_symbol().name);
    EXPECT_EQ(s.definition, odd_symbol().definition);
    EXPECT_EQ(s.view, "iso");
    ASSERT_EQ(s.layers.size(), 2u);
    EXPECT_EQ(s.layers[1].name, "with\ttab");
    EXPECT_EQ(s.layers[1].colour, -3);
    EXPECT_EQ(s.counts, odd_symbol().counts);
    ASSERT_EQ(s.nested.size(), 1u);
    EXPECT_EQ(s.nested[0].entities, 2);
    EXPECT_TRUE(s.has_extent);
    EXPECT_EQ(s.low[0], -0.1);
    EXPECT_EQ(s.low[2], 1e-300);
    EXPECT_EQ(s.high[1], 1.0 / 3.0);
    EXPECT_FALSE(back[1].has_extent);
    EXPECT_FALSE(back[1].loaded);
}

TEST_F(gallery_parts, facts_of_another_stamp_or_damaged_are_refused)
{
    const facts_stamp stamp{"/x/lib.tvl", 10, 20, "mode=full"};
    ASSERT_TRUE(save_facts(path("f.facts"), stamp, {odd_symbol()}));
    std::vector<symbol_facts> back;
    for (facts_stamp other : {facts_stamp{"/x/lib.tvl", 11, 20, "mode=full"},
                              facts_stamp{"/x/lib.tvl", 10, 21, "mode=full"},
                              facts_stamp{"/x/lib.tvl", 10, 20, "mode=classic"},
                              facts_stamp{"/y/lib.tvl", 10, 20, "mode=full"}}) {
        EXPECT_FALSE(load_facts(path("f.facts"), other, back));
        EXPECT_TRUE(back.empty());
    }
    // Cut short, or with a bad escape, or an unknown line: refused as a whole.
    std::ifstream in(path("f.facts"));
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (const std::string &damaged :
         {text.substr(0, text.size() - 4), text + "symbol\tX%4\nend\n", text + "symbol\tX\nwhat\t1\nend\n",
          text + "symbol\tX\nextent\t1\t2\nend\n"}) {
        std::ofstream(path("d.facts"), std::ios::binary) << damaged;
        EXPECT_FALSE(load_facts(path("d.facts"), stamp, back)) << damaged;
        EXPECT_TRUE(back.empty());
    }
    EXPECT_FALSE(load_facts(path("missing.facts"), stamp, back));
}

TEST_F(gallery_parts, keys_tell_apart_how_parts_are_split)
{
    EXPECT_NE(hash_key({"ab", "c"}), hash_key({"a", "bc"}));
    EXPECT_EQ(hash_key({"a", "bc"}), hash_key({"a", "bc"}));
    EXPECT_EQ(hash_key({"x"}).size(), 32u);
    EXPECT_NE(picture_key("/l.tvl", "S", 1, "plan", 128, "m"), picture_key("/l.tvl", "S", 2, "plan", 128, "m"));
    EXPECT_NE(picture_key("/l.tvl", "S", 1, "plan", 128, "m"), picture_key("/l.tvl", "S", 1, "plan", 129, "m"));
    EXPECT_NE(picture_key("/l.tvl", "S", 1, "plan", 128, "m"), picture_key("/l.tvl", "S", 1, "iso", 128, "m"));
}

TEST_F(gallery_parts, names_become_safe_utf8_html)
{
    EXPECT_EQ(html_name("<a href=\"x\">&'"), "&lt;a href=&quot;x&quot;&gt;&amp;&#39;");
    EXPECT_EQ(to_utf8("\xE9t\xFF"), "\xC3\xA9t\xC3\xBF");
    EXPECT_EQ(to_utf8(std::string("a\0b\x7F", 4)), "a\xEF\xBF\xBD" "b\xEF\xBF\xBD");
}

TEST_F(gallery_parts, colour_file_gives_swatches_as_the_viewer_reads_it)
{
    std::ofstream(path("c.txt")) << "# comment;1;255,0,0\nx;3;10,20,30\r\n\ny;4;256,300,-1;extra\nbad\n";
    const auto colours = read_colour_file(path("c.txt"));
    EXPECT_EQ(colours.at(1), "#c8c8c8");
    EXPECT_EQ(colours.at(3), "#0a141e");
    EXPECT_EQ(colours.at(4), "#002cff");
    EXPECT_EQ(colours.at(0), "#000000"); // a line without ';' sets number 0
    EXPECT_TRUE(read_colour_file("").empty());
}

TEST_F(gallery_parts, atomic_files_leave_nothing_half_written)
{
    const std::string file = path("deep/er/out.txt");
    ASSERT_TRUE(write_file_atomically(file, "one"));
    EXPECT_FALSE(write_file_atomically(file, [](const std::string &temporary) {
        std::ofstream(temporary) << "partial";
        return false;
    }));
    std::ifstream in(file);
    std::string text;
    std::getline(in, text);
    EXPECT_EQ(text, "one");
    long entries = 0;
    for (const auto &entry : fs::directory_iterator(fs::path(file).parent_path()))
        entries += entry.path() == file ? 0 : 1;
    EXPECT_EQ(entries, 0) << "a temporary file was left behind";
}

TEST_F(gallery_parts, clearing_removes_only_the_caches_own_folders)
{
    const std::string root = path("cache");
    ASSERT_TRUE(write_file_atomically(picture_file(root, hash_key({"p"})), "png"));
    ASSERT_TRUE(write_file_atomically(facts_file(root, "/l.tvl"), "facts"));
    ASSERT_TRUE(write_file_atomically(root + "/mine.txt", "keep"));
    const cache_summary before = summarize_cache(root);
    EXPECT_EQ(before.pictures, 1);
    EXPECT_EQ(before.libraries, 1);
    EXPECT_EQ(before.bytes, 8u);
    std::string error;
    ASSERT_TRUE(clear_cache(root, error)) << error;
    EXPECT_EQ(summarize_cache(root).pictures, 0);
    EXPECT_TRUE(fs::exists(root + "/mine.txt"));
}

TEST_F(gallery_parts, served_files_are_linked_once_and_replaced_when_changed)
{
    ASSERT_TRUE(write_file_atomically(path("a"), "first"));
    ASSERT_TRUE(write_file_atomically(path("b"), "second"));
    ASSERT_TRUE(serve_file(path("a"), path("site.png")));
    EXPECT_TRUE(fs::equivalent(path("a"), path("site.png")));
    ASSERT_TRUE(serve_file(path("a"), path("site.png")));
    ASSERT_TRUE(serve_file(path("b"), path("site.png")));
    EXPECT_TRUE(fs::equivalent(path("b"), path("site.png")));
    EXPECT_FALSE(serve_file(path("missing"), path("other.png")));
}

} // namespace
