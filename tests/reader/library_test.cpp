#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "library.h"
#include "requests.h"
#include "resbuf.h"
#include "settings.h"
#include "support.h"

namespace {

using tvlw::LibraryWriter;

std::vector<std::string> names_of(resbuf *chain)
{
    std::vector<std::string> names;
    for (resbuf *rb = chain; rb; rb = rb->next) {
        EXPECT_EQ(rb->code, RB_STRING);
        names.emplace_back(rb->value.string);
    }
    return names;
}

std::vector<std::uint8_t> tiny_block()
{
    return rt::PlainBlock().line("0", 0, 0, 1, 1).finish();
}

class LibraryTest : public testing::Test {
protected:
    rt::ScratchDir dir;

    std::string save(const LibraryWriter &w, const std::string &name = "lib.tvl")
    {
        const std::string path = dir.file(name);
        EXPECT_TRUE(w.save(path));
        return path;
    }
    std::string save_bytes(const std::vector<std::uint8_t> &bytes, const std::string &name = "lib.tvl")
    {
        const std::string path = dir.file(name);
        rt::write_bytes(path, bytes);
        return path;
    }
    // Opens, lists and closes as ta_tvllist does, answering names and console text.
    std::vector<std::string> list(const std::string &path, std::string *out = nullptr)
    {
        resbuf *chain = nullptr;
        const std::string text = rt::stdout_of([&] { chain = ta_tvllist(path.c_str()); });
        if (out)
            *out = text;
        auto names = names_of(chain);
        ta_relrb(chain);
        return names;
    }
    std::string open_message(const std::string &path)
    {
        bool ok = true;
        const std::string text = rt::stdout_of([&] { ok = lib_open(path.c_str()); });
        lib_close();
        EXPECT_FALSE(ok);
        return text;
    }
};

} // namespace

TEST_F(LibraryTest, ListsNamesInFileOrderForEveryVersionLayout)
{
    for (int version : {20, 29, 30, 40, 49}) {
        LibraryWriter w({.version = version});
        w.add_block("ZETA", tiny_block());
        w.add_block("ALPHA", tiny_block());
        w.add_block("*HIDDEN_STAR", tiny_block());
        w.add_block("_TAVREL_INTERNAL", tiny_block());
        w.add_block("MIDDLE", tiny_block(), {.hidden = true});
        w.add_index_name("ONLY_IN_INDEX");
        w.add_block("UNLISTED", tiny_block(), {.listed = false});
        std::string out;
        const auto names = list(save(w), &out);
        EXPECT_EQ(out, "");
        std::vector<std::string> expected{"ZETA", "ALPHA", "ONLY_IN_INDEX"};
        if (version < 30) // no flag byte, so nothing is hidden
            expected.insert(expected.begin() + 2, "MIDDLE");
        EXPECT_EQ(names, expected) << "version " << version;
    }
}

TEST_F(LibraryTest, EmptyIndexGivesNoList)
{
    LibraryWriter w;
    w.add_block("DOOR", tiny_block(), {.listed = false});
    std::string out;
    EXPECT_TRUE(list(save(w), &out).empty());
    EXPECT_EQ(out, "");
}

TEST_F(LibraryTest, PatternRules)
{
    EXPECT_TRUE(lib_name_matches("DOOR", "*"));
    EXPECT_TRUE(lib_name_matches("DOOR", "DO*"));
    EXPECT_TRUE(lib_name_matches("DOOR", "D??R"));
    EXPECT_FALSE(lib_name_matches("DOOR", "door"));
    EXPECT_FALSE(lib_name_matches("DOOR", "DOO"));
    EXPECT_FALSE(lib_name_matches("DOO", "DOOR"));
    EXPECT_FALSE(lib_name_matches("DOOR", "DOOR*")); // a star after the last character does not match
}

TEST_F(LibraryTest, SplitPath)
{
    path_parts p = split_path("C:/lib/sub.dir/door.tvl");
    EXPECT_EQ(p.directory, "C:\\lib\\sub.dir\\");
    EXPECT_EQ(p.base, "door");
    EXPECT_EQ(p.extension, "tvl");
    p = split_path("lib.d\\door");
    EXPECT_EQ(p.base, "door");
    EXPECT_FALSE(p.has_extension);
    p = split_path("C:door.x");
    EXPECT_EQ(p.directory, "C:");
    EXPECT_EQ(p.base, "door");
    p = split_path("");
    EXPECT_EQ(p.base, "");
}

TEST_F(LibraryTest, OpensWithTvlAddedOnlyWithoutExtension)
{
    LibraryWriter w;
    w.add_block("DOOR", tiny_block());
    save(w, "doors.tvl");
    // Without an extension ".TVL" is added and found regardless of case.
    EXPECT_EQ(list(dir.file("doors")), std::vector<std::string>{"DOOR"});
    // With another extension exactly that file is opened: it is missing, so nothing is said.
    std::string out;
    EXPECT_TRUE(list(dir.file("doors.lib"), &out).empty());
    EXPECT_EQ(out, "");
}

TEST_F(LibraryTest, ExistingFileThatCannotBeOpened)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not apply to root";
    LibraryWriter w;
    const std::string path = save(w);
    chmod(path.c_str(), 0);
    EXPECT_EQ(open_message(path), "\nCannot open library file: " + path + ". ");
}

TEST_F(LibraryTest, HeaderFailures)
{
    LibraryWriter good;
    auto bytes = good.bytes();

    auto bad = bytes;
    bad[1] = 'X';
    EXPECT_EQ(open_message(save_bytes(bad)), "\nERROR: Not a symbol library file.");
    EXPECT_EQ(open_message(save_bytes({'T', 'V'})), "\nERROR: Not a symbol library file.");

    for (const char *v : {"50", "19", "5A", "1/"}) {
        LibraryWriter w;
        w.set_version_text(v);
        EXPECT_EQ(open_message(save(w)), std::string("\nERROR: Cannot read version \"TVL") + v + "\" library file.");
    }
    for (int entry : {0, 1, 4}) {
        LibraryWriter w;
        w.set_directory_tag(entry, 'X');
        const std::string path = save(w);
        EXPECT_EQ(open_message(path), "\nERROR: Cannot read library header: \"" + path + "\".");
    }
    // The other tags are not checked.
    LibraryWriter other_tags;
    other_tags.set_directory_tag(2, 'X');
    other_tags.add_block("A", tiny_block());
    EXPECT_EQ(list(save(other_tags)), std::vector<std::string>{"A"});

    // Cut inside the directory.
    bytes.resize(50);
    const std::string cut = save_bytes(bytes);
    EXPECT_EQ(open_message(cut), "\nERROR: Cannot read library header: \"" + cut + "\".");
}

TEST_F(LibraryTest, SettingsAndTheirDefaults)
{
    LibraryWriter plain;
    ASSERT_TRUE(lib_open(save(plain).c_str()));
    lib_settings s = lib_current_settings();
    lib_close();
    EXPECT_EQ(s.ring_size, 50);
    EXPECT_EQ(s.record_ref_width, 1);
    EXPECT_FALSE(s.coding_present);
    EXPECT_EQ(s.first_entity_code, 25);
    EXPECT_EQ(s.last_entity_code, 84);
    EXPECT_FALSE(s.fixed_point);
    EXPECT_EQ(s.combined_data, 0);

    LibraryWriter set({.version = 40, .ring_size = 90, .record_ref_width = 3, .coding = 1, .fraction_bits = 4,
                       .combined_data = 0});
    ASSERT_TRUE(lib_open(save(set, "set.tvl").c_str()));
    s = lib_current_settings();
    lib_close();
    EXPECT_EQ(s.ring_size, 90);
    EXPECT_EQ(s.record_ref_width, 3);
    EXPECT_EQ(s.last_entity_code, 31); // 2 * (90 div 3) = 60, capped for R = 3
    EXPECT_EQ(s.point_ring_size, 30);
    EXPECT_EQ(s.template_slots, 6);
    EXPECT_TRUE(s.fixed_point);
    EXPECT_EQ(s.fraction_bits, 4);

    // Back to a library without settings: the defaults again.
    ASSERT_TRUE(lib_open(save(plain).c_str()));
    EXPECT_EQ(lib_current_settings().ring_size, 50);
    EXPECT_EQ(lib_current_settings().record_ref_width, 1);
    lib_close();
}

TEST_F(LibraryTest, BadSettingsAreRefused)
{
    struct Case {
        tvlw::Settings settings;
        std::string message;
    };
    const std::vector<Case> cases = {
        {{.record_ref_width = 0}, "Library file error: invalid value for RBAD."},
        {{.record_ref_width = 4, .coding = 0}, "Library file error: invalid value for RBAD."},
        {{.coding = 3}, "Unrecognized compression type in library."},
        {{.fraction_bits = 9}, "\nCorrupted library file."},
    };
    for (const auto &c : cases) {
        LibraryWriter w(c.settings);
        EXPECT_EQ(open_message(save(w)), c.message);
    }
    LibraryWriter w;
    w.add_raw_setting("FR", {2, 4, 0});
    const std::string path = save(w);
    EXPECT_EQ(open_message(path), "\nERROR: Cannot read library header: \"" + path + "\".");
}

TEST_F(LibraryTest, FindWalksTheHashTreeAndTables)
{
    LibraryWriter w;
    std::vector<std::string> names;
    for (int i = 0; i < 300; ++i)
        names.push_back("SYM" + std::to_string(i * 7919 % 1000));
    // Names with equal hashes hang on one chain: "AB" and "BA"-like pairs collide rarely,
    // so add names that differ only where the hash cannot tell.
    names.push_back("Q\x01");
    for (const auto &n : names)
        w.add_block(n, tiny_block());
    w.add_layer("WALLS", 1, 0, "CONTINUOUS");
    w.add_layer("DOORS", 2, 0, "CONTINUOUS");
    tvlw::Layout layout;
    const std::string path = dir.file("big.tvl");
    ASSERT_TRUE(w.save(path, &layout));
    ASSERT_TRUE(lib_open(path.c_str()));
    for (const auto &n : names)
        EXPECT_EQ(lib_find(tvl_format::record_block, n.c_str()), long(layout.blocks[n])) << n;
    EXPECT_EQ(lib_find(tvl_format::record_block, "NOT_THERE"), 0);
    EXPECT_EQ(lib_find(tvl_format::record_layer, "DOORS"), long(layout.layers["DOORS"]));
    EXPECT_EQ(lib_find(tvl_format::record_layer, "doors"), 0); // names are compared exactly
    EXPECT_EQ(lib_find(tvl_format::record_no_table, "DOORS"), 0);
    lib_close();
}

TEST_F(LibraryTest, EqualHashesFollowTheEqualLink)
{
    // Find two names with the same hash.
    std::string a, b;
    std::map<std::uint16_t, std::string> seen;
    for (int i = 0; i < 100000 && b.empty(); ++i) {
        const std::string n = "N" + std::to_string(i);
        const auto h = tvl_format::name_hash(n.data(), n.size());
        ASSERT_EQ(h, LibraryWriter::name_hash(n));
        if (auto it = seen.find(h); it != seen.end()) {
            a = it->second;
            b = n;
        }
        seen[h] = n;
    }
    ASSERT_FALSE(b.empty());
    LibraryWriter w;
    w.add_block("ROOT", tiny_block());
    w.add_block(a, tiny_block());
    w.add_block(b, tiny_block());
    tvlw::Layout layout;
    const std::string path = dir.file("eq.tvl");
    ASSERT_TRUE(w.save(path, &layout));
    ASSERT_TRUE(lib_open(path.c_str()));
    EXPECT_EQ(lib_find(tvl_format::record_block, b.c_str()), long(layout.blocks[b]));
    EXPECT_EQ(lib_find(tvl_format::record_block, a.c_str()), long(layout.blocks[a]));
    lib_close();
}

TEST_F(LibraryTest, CorruptLinksEndCleanly)
{
    LibraryWriter w;
    w.add_block("ONE", tiny_block());
    w.add_block("TWO", tiny_block());
    tvlw::Layout layout;
    auto bytes = w.bytes(&layout);
    auto patch32 = [](std::vector<std::uint8_t> &b, std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    // An index record that points back at itself.
    auto cyclic = bytes;
    const std::size_t two = layout.index["TWO"];
    patch32(cyclic, two + 1 + 1 + 3 + 1 + 12, layout.index["ONE"]);
    std::string out;
    EXPECT_TRUE(list(save_bytes(cyclic), &out).empty());
    EXPECT_EQ(out, "\nCannot read library file.");

    // An index offset past the end of the file.
    auto outside = bytes;
    patch32(outside, layout.directory + 5 * 5 + 1, 0x7fffff00);
    EXPECT_TRUE(list(save_bytes(outside), &out).empty());
    EXPECT_EQ(out, "\nCannot read library file.");

    // A record of the wrong type in the index.
    auto wrong = bytes;
    wrong[layout.index["ONE"]] = 5;
    EXPECT_TRUE(list(save_bytes(wrong), &out).empty());
    EXPECT_EQ(out, "\nCannot read library file.");

    // Block tree links that form a cycle: the search ends without finding.
    auto tree = bytes;
    const std::size_t root = layout.blocks["ONE"];
    for (int link = 0; link < 3; ++link)
        patch32(tree, root + 1 + 1 + 3 + 1 + 4 * link, root);
    ASSERT_TRUE(lib_open(save_bytes(tree).c_str()));
    out = rt::stdout_of([] { EXPECT_EQ(lib_find(tvl_format::record_block, "MISSING"), 0); });
    EXPECT_EQ(out, "\nCorrupted library file.");
    // A seek outside the file.
    patch32(tree, layout.directory + 1, 0x7fffff00);
    lib_close();
    ASSERT_TRUE(lib_open(save_bytes(tree).c_str()));
    out = rt::stdout_of([] { EXPECT_EQ(lib_find(tvl_format::record_block, "ONE"), 0); });
    EXPECT_EQ(out, "\nInvalid seek in library file.");
    lib_close();
}

TEST_F(LibraryTest, TruncatedFilesNeverReadOutside)
{
    LibraryWriter w;
    w.add_layer("L", 1, 0, "CONTINUOUS");
    for (int i = 0; i < 5; ++i)
        w.add_block("B" + std::to_string(i), tiny_block(), {.dependencies = {{5, "L"}}});
    const auto bytes = w.bytes();
    for (std::size_t n = 0; n < bytes.size(); n += 3) {
        const std::string path = save_bytes({bytes.begin(), bytes.begin() + n});
        list(path);
        rt::trace_register();
        rt::stdout_of([&] { ta_tvldef(path.c_str(), "B3"); });
    }
    EXPECT_EQ(dir.leftover_work_files(), 0);
}

TEST_F(LibraryTest, WorkFileIsUniqueAndRemoved)
{
    LibraryWriter w;
    const std::string path = save(w);
    // A link planted at the old fixed name is neither followed nor replaced.
    const std::string victim = dir.file("victim.txt");
    rt::write_bytes(victim, {'k', 'e', 'e', 'p'});
    std::filesystem::create_symlink(victim, dir.file("tvldir.sb$"));

    ASSERT_TRUE(lib_open(path.c_str()));
    const std::string first = lib_current().work_name;
    EXPECT_NE(first.find("tvldir"), std::string::npos);
    EXPECT_EQ(first.substr(first.size() - 4), ".sb$");
    EXPECT_EQ(dir.leftover_work_files(), 2); // the planted link and ours
    lib_close();
    EXPECT_EQ(dir.leftover_work_files(), 1);
    EXPECT_EQ(rt::read_file(victim), "keep");
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("tvldir.sb$")));
}

TEST_F(LibraryTest, WorkFileFallsBackToDriveC)
{
    LibraryWriter w;
    const std::string path = save(w);
    setenv("TEMP", dir.file("no_such_folder").c_str(), 1);
    ASSERT_TRUE(lib_open(path.c_str()));
    EXPECT_EQ(lib_current().work_name.rfind("C:\\temp", 0), 0u) << lib_current().work_name;
    lib_close();
    EXPECT_EQ(dir.leftover_work_files(), 0);

    setenv("SKELVANE_DRIVE_C", dir.file("no_drive").c_str(), 1);
    const std::string expected = "\nCould not open temporary file " + dir.file("no_such_folder") + "\\tvldir.sb$.";
    EXPECT_EQ(open_message(path), expected);
}

TEST_F(LibraryTest, CopyDataChecksLengths)
{
    LibraryWriter w;
    w.add_layer("L", 1, 0, "CONTINUOUS");
    tvlw::Layout layout;
    auto bytes = w.bytes(&layout);
    // The layer's data length claims more than the file holds.
    const std::size_t length_at = layout.layers["L"] + 1 + 2 + 4;
    bytes[length_at + 3] = 0x40;
    ASSERT_TRUE(lib_open(save_bytes(bytes).c_str()));
    ASSERT_NE(lib_find(tvl_format::record_layer, "L"), 0);
    EXPECT_EQ(lib_copy_data(lib_current().work, lib_current().library, false, true), -1);
    lib_close();
}

TEST_F(LibraryTest, TwoReadersInTwoProcessesAtOnce)
{
    LibraryWriter w;
    w.add_layer("WALLS", 1, 0, "CONTINUOUS");
    w.add_block("DOOR", rt::PlainBlock().line("WALLS", 0, 0, 1, 1).line("WALLS", 1, 1, 2, 0).finish(),
                {.compression = tvlw::Compression::stored, .dependencies = {{5, "WALLS"}}});
    const std::string path = save(w);

    rt::trace_register();
    ASSERT_TRUE(ta_tvldef(path.c_str(), "DOOR"));
    const std::string expected = rt::trace().joined();

    // Each process stops inside its delivery until the other one is inside too,
    // so both work files exist at the same time.
    int to_child[2], to_parent[2];
    ASSERT_EQ(pipe(to_child), 0);
    ASSERT_EQ(pipe(to_parent), 0);
    static int send_fd, wait_fd;
    static bool met;
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    const bool is_child = child == 0;
    send_fd = is_child ? to_parent[1] : to_child[1];
    wait_fd = is_child ? to_child[0] : to_parent[0];
    met = false;
    ta_init(
        [](const resbuf *chain) -> int {
            rt::trace().lines.push_back("E " + rt::chain_text(chain));
            if (!met) {
                met = true;
                char c = 'x';
                if (write(send_fd, &c, 1) != 1 || read(wait_fd, &c, 1) != 1)
                    std::_Exit(3);
            }
            return RB_OK;
        },
        [](const resbuf *chain) -> int {
            rt::trace().lines.push_back("T " + rt::chain_text(chain));
            return RB_OK;
        },
        [](const resbuf *chain) -> int {
            rt::trace().lines.push_back("C " + rt::chain_text(chain));
            return RB_OK;
        });
    rt::trace() = rt::Trace{};
    const bool ok = ta_tvldef(path.c_str(), "DOOR");
    const bool same = rt::trace().joined() == expected;
    if (is_child)
        std::_Exit(ok && same ? 0 : 1);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(same);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(dir.leftover_work_files(), 0);
}
