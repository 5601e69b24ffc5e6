#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support.h"

namespace {

using tvlw::Compression;
using tvlw::LibraryWriter;

class DeliveryTest : public testing::Test {
protected:
    rt::ScratchDir dir;
    std::string out; // console text of the last define

    std::string save(const LibraryWriter &w)
    {
        const std::string path = dir.file("lib.tvl");
        EXPECT_TRUE(w.save(path));
        return path;
    }
    bool define(const std::string &path, const char *symbol)
    {
        bool ok = false;
        out = rt::stdout_of([&] { ok = ta_tvldef(path.c_str(), symbol); });
        EXPECT_EQ(dir.leftover_work_files(), 0);
        return ok;
    }
    static std::string lines(std::initializer_list<const char *> l)
    {
        std::string s;
        for (const char *x : l)
            s += std::string(x) + "\n";
        return s;
    }
};

LibraryWriter door_library(Compression compression = Compression::stored)
{
    LibraryWriter w;
    w.add_style({.name = "STD", .height = 2.5, .width_factor = 0, .oblique_angle = 0.1, .generation_flags = 2,
                 .style_flags = 4, .font_file = "romans.shx", .second_font_file = ""});
    w.add_linetype("DASHED", {0.5, -0.25});
    w.add_layer("WALLS", 1, 5, "DASHED");
    w.add_layer("GLASS", 5, 2, "CONTINUOUS");
    w.add_block("HINGE", rt::PlainBlock().line("GLASS", 0, 0, 1, 1).finish(),
                {.compression = compression, .dependencies = {{5, "GLASS"}}, .listed = false});
    w.add_block("DOOR",
                rt::PlainBlock(2, 1, 2, 3, "C:\\path").line("WALLS", 0, 0, 10, 0).insert("WALLS", "HINGE").finish(),
                {.compression = compression,
                 .dependencies = {{6, "STD"}, {4, "DASHED"}, {5, "WALLS"}, {5, "GLASS"}, {9, "HINGE"}}});
    return w;
}

const char *const door_trace[] = {
    "T (0.\"STYLE\")(2.\"STD\")(70.4)(71.2)(40.2.5)(41.1)(50.0.1)(3.\"ROMANS.SHX\")(4.\"\")",
    "C (5005.\"_.STYLE\")(5005.\"STD\")(5005.\"ROMANS.SHX\")(5001.2.5)",
    "C (5001.1)(5001.0.1)",
    "C (5005.\"_Y\")(5005.\"_N\")",
    "C (5005.\"_Y\")",
    "C (5005.\"_.LINETYPE\")(5005.\"_CREATE\")(5005.\"DASHED\")(5005.\"TAVREL\")(5005.\"DASHED\")",
    "C (5005.\"0.5,\")",
    "C (5005.\"-0.25\")",
    "C (5005.\"_LOAD\")(5005.\"DASHED\")(5005.\"TAVREL\")(5005.\"\")",
    "T (0.\"LTYPE\")(2.\"DASHED\")(73.2)(49.0.5)(49.-0.25)",
    "T (0.\"LAYER\")(2.\"GLASS\")(70.2)(62.5)(6.\"CONTINUOUS\")",
    "C (5005.\"_.LAYER\")(5005.\"_NEW\")(5005.\"GLASS\")(5005.\"_COLOR\")(5003.5)(5005.\"GLASS\")",
    "C (5005.\"_LTYPE\")(5005.\"CONTINUOUS\")(5005.\"GLASS\")(5005.\"\")",
    "C (5005.\"_.VPLAYER\")(5005.\"_VPVISDFLT\")(5005.\"GLASS\")(5005.\"_FROZEN\")(5005.\"\")",
    "T (0.\"LAYER\")(2.\"WALLS\")(70.5)(62.1)(6.\"DASHED\")",
    "C (5005.\"_.LAYER\")(5005.\"_NEW\")(5005.\"WALLS\")(5005.\"_COLOR\")(5003.1)(5005.\"WALLS\")",
    "C (5005.\"_FREEZE\")(5005.\"WALLS\")",
    "C (5005.\"_LOCK\")(5005.\"WALLS\")",
    "C (5005.\"_LTYPE\")(5005.\"DASHED\")(5005.\"WALLS\")(5005.\"\")",
    "E (null)",
    "E (0.\"BLOCK\")(2.\"HINGE\")(70.0)(10.(0 0 0))(1.\"\")",
    "E (0.\"LINE\")(8.\"GLASS\")(10.(0 0 0))(11.(1 1 0))",
    "E (0.\"ENDBLK\")",
    "E (null)",
    "E (0.\"BLOCK\")(2.\"door\")(70.2)(10.(1 2 3))(1.\"C:\\path\")",
    "E (0.\"LINE\")(8.\"WALLS\")(10.(0 0 0))(11.(10 0 0))",
    "E (0.\"INSERT\")(8.\"WALLS\")(2.\"HINGE\")(10.(0 0 0))",
    "E (0.\"ENDBLK\")",
};

std::string door_expected()
{
    std::string s;
    for (const char *l : door_trace)
        s += std::string(l) + "\n";
    return s;
}

} // namespace

TEST_F(DeliveryTest, DeliversTablesThenBlocksNestedFirst)
{
    for (auto c : {Compression::stored, Compression::method2}) {
        const std::string path = save(door_library(c));
        rt::trace_register();
        EXPECT_TRUE(define(path, "door"));
        EXPECT_EQ(rt::trace().joined(), door_expected());
        EXPECT_EQ(out, "");
    }
}

TEST_F(DeliveryTest, WithoutCommandCallbackTablesStillArrive)
{
    const std::string path = save(door_library());
    rt::trace_register(true, true, false);
    EXPECT_TRUE(define(path, "DOOR"));
    std::string expected;
    for (const char *l : door_trace)
        if (l[0] != 'C')
            expected += std::string(l) + "\n";
    // The caller's spelling is the header name.
    const auto at = expected.find("(2.\"door\")");
    ASSERT_NE(at, std::string::npos);
    expected.replace(at, 10, "(2.\"DOOR\")");
    EXPECT_EQ(rt::trace().joined(), expected);
}

TEST_F(DeliveryTest, TargetNameIsTheBaseNameAndDweIsPreferred)
{
    LibraryWriter w;
    w.add_block("DOOR", rt::PlainBlock().line("0", 0, 0, 1, 0).finish());
    w.add_block("DOOR_DWE", rt::PlainBlock().line("0", 5, 5, 6, 6).finish());
    w.add_block("SUB\\PART.X", rt::PlainBlock().finish());
    const std::string path = save(w);

    rt::trace_register(true, false, false);
    EXPECT_TRUE(define(path, "DOOR"));
    EXPECT_EQ(rt::trace().joined(), lines({"E (null)", "E (0.\"BLOCK\")(2.\"DOOR\")(70.0)(10.(0 0 0))(1.\"\")",
                                           "E (0.\"LINE\")(8.\"0\")(10.(5 5 0))(11.(6 6 0))", "E (0.\"ENDBLK\")"}));

    // The "_DWE" block is looked up with the name as passed.
    rt::trace_register(true, false, false);
    EXPECT_TRUE(define(path, "door"));
    EXPECT_NE(rt::trace().joined().find("(10.(0 0 0))(11.(1 0 0))"), std::string::npos);

    rt::trace_register(true, false, false);
    EXPECT_TRUE(define(path, "sub\\part.x"));
    EXPECT_EQ(rt::trace().lines.at(1), "E (0.\"BLOCK\")(2.\"part\")(70.0)(10.(0 0 0))(1.\"\")");
}

TEST_F(DeliveryTest, NamesThatCannotBeDelivered)
{
    const std::string path = save(door_library());
    rt::trace_register();
    EXPECT_FALSE(define(path, ""));
    EXPECT_FALSE(define(path, "dir\\"));
    EXPECT_TRUE(rt::trace().lines.empty());
    EXPECT_EQ(out, "");

    EXPECT_FALSE(define(path, std::string(124, 'A').c_str()));
    EXPECT_FALSE(define(path, "WINDOW"));
    EXPECT_EQ(out, "\nERROR: WINDOW not found in table B.");
    EXPECT_TRUE(rt::trace().lines.empty());

    // An empty library path opens ".TVL" in the current folder: silently missing here.
    EXPECT_FALSE(define("", "DOOR"));
    EXPECT_EQ(out, "");
}

TEST_F(DeliveryTest, MissingDependencyNamesItsTable)
{
    LibraryWriter w;
    w.add_layer("WALLS", 1, 0, "CONTINUOUS");
    w.add_block("DOOR", rt::PlainBlock().finish(), {.dependencies = {{5, "WALLS"}, {5, "ROOF"}, {20, "X"}, {77, "Y"}}});
    const std::string path = save(w);
    rt::trace_register();
    EXPECT_FALSE(define(path, "DOOR"));
    EXPECT_EQ(out, "\nERROR: ROOF not found in table L.");
    EXPECT_TRUE(rt::trace().lines.empty());

    // Unknown types are reported and skipped; type 20 is skipped silently.
    LibraryWriter ok;
    ok.add_block("DOOR", rt::PlainBlock().finish(), {.dependencies = {{20, "X"}, {77, "Y"}}});
    rt::trace_register();
    EXPECT_TRUE(define(save(ok), "DOOR"));
    EXPECT_EQ(out, "\nUndefined DJ type 77.");
}

TEST_F(DeliveryTest, MalformedDependencyRecord)
{
    LibraryWriter w;
    w.add_layer("WALLS", 1, 0, "CONTINUOUS");
    w.add_block("DOOR", rt::PlainBlock().finish(), {.dependencies = {{5, "WALLS"}}});
    tvlw::Layout layout;
    auto bytes = w.bytes(&layout);
    const std::size_t dep = layout.dependencies["DOOR"];
    auto bad_length = bytes;
    bad_length[dep + 1 + 1 + 4 + 2 + 4 + 1] = 0x85; // the entry's name length has bit 7 set
    rt::write_bytes(dir.file("a.tvl"), bad_length);
    rt::trace_register();
    EXPECT_FALSE(define(dir.file("a.tvl"), "DOOR"));
    EXPECT_EQ(out, "\nERROR in library file.");

    auto bad_type = bytes;
    bad_type[dep] = 18;
    rt::write_bytes(dir.file("b.tvl"), bad_type);
    EXPECT_FALSE(define(dir.file("b.tvl"), "DOOR"));
    EXPECT_EQ(out, "\nERROR in library file.");
}

TEST_F(DeliveryTest, TableRecordChecks)
{
    LibraryWriter w;
    std::vector<std::uint8_t> wrong_name{5, 'O', 'T', 'H', 'E', 'R'};
    w.add_table_record(5, "WALLS", wrong_name);
    std::vector<std::uint8_t> long_ltype{4, 'R', 'O', 'O', 'F', 1, 0, 0, 33};
    long_ltype.insert(long_ltype.end(), 33, 'X');
    w.add_table_record(5, "ROOF", long_ltype);
    w.add_block("A", rt::PlainBlock().finish(), {.dependencies = {{5, "WALLS"}}});
    w.add_block("B", rt::PlainBlock().finish(), {.dependencies = {{5, "ROOF"}}});
    const std::string path = save(w);
    rt::trace_register();
    EXPECT_FALSE(define(path, "A"));
    EXPECT_EQ(out, "\nERROR: Corrupt entity data.");
    EXPECT_FALSE(define(path, "B"));
    EXPECT_EQ(out, "\nERROR: Corrupt entity data.");
    EXPECT_TRUE(rt::trace().lines.empty());
}

TEST_F(DeliveryTest, LineTypeWithoutElementsAndStyleVariants)
{
    LibraryWriter w;
    w.add_linetype("SOLID", {});
    w.add_style({.name = "SHAPES", .style_flags = 1, .font_file = "sym.shx", .second_font_file = "big.shx"});
    w.add_style({.name = "PS", .height = 1, .generation_flags = 6, .style_flags = 0, .font_file = "cour.pfb"});
    w.add_block("A", rt::PlainBlock().finish(), {.dependencies = {{4, "SOLID"}, {6, "SHAPES"}, {6, "PS"}}});
    const std::string path = save(w);
    rt::trace_register(false, false, true);
    EXPECT_TRUE(define(path, "A"));
    EXPECT_EQ(rt::trace().joined(),
              lines({"C (5005.\"_.STYLE\")(5005.\"PS\")(5005.\"COUR.PFB\")(5001.1)", "C (5001.1)(5001.0)",
                     "C (5005.\"_Y\")(5005.\"_Y\")", "C (5005.\"_LOAD\")(5005.\"SYM.SHX,big.shx\")",
                     "C (5005.\"_.LINETYPE\")(5005.\"_CREATE\")(5005.\"SOLID\")(5005.\"TAVREL\")(5005.\"SOLID\")",
                     "C (5005.\"0.5,0.5\")", "C (5005.\"_LOAD\")(5005.\"SOLID\")(5005.\"TAVREL\")(5005.\"\")"}));

    // A command callback that does not accept the style command gets no answers.
    rt::trace_register(false, false, true);
    rt::trace().command_answer = 0;
    EXPECT_TRUE(define(path, "A"));
    EXPECT_EQ(rt::trace().lines.at(0), "C (5005.\"_.STYLE\")(5005.\"PS\")(5005.\"COUR.PFB\")(5001.1)");
    EXPECT_EQ(rt::trace().lines.at(1), "C (5005.\"_LOAD\")(5005.\"SYM.SHX,big.shx\")");
}

TEST_F(DeliveryTest, PaperSpaceEntitiesAreSkipped)
{
    rt::PlainBlock b;
    b.entity(1).str(8, "0").shrt(67, 1).point(10, 0, 0, 0).point(11, 1, 0, 0).end_entity();
    b.line("0", 2, 2, 3, 3);
    LibraryWriter w;
    w.add_block("A", b.finish());
    rt::trace_register(true, false, false);
    EXPECT_TRUE(define(save(w), "A"));
    EXPECT_EQ(rt::trace().joined(), lines({"E (null)", "E (0.\"BLOCK\")(2.\"A\")(70.0)(10.(0 0 0))(1.\"\")",
                                           "E (0.\"LINE\")(8.\"0\")(10.(2 2 0))(11.(3 3 0))", "E (0.\"ENDBLK\")"}));
}

TEST_F(DeliveryTest, RejectedEntitiesAreReportedAndDeliveryGoesOn)
{
    LibraryWriter w;
    w.add_block("A", rt::PlainBlock().line("0", 0, 0, 1, 1).finish());
    rt::trace_register(true, false, false);
    rt::trace().entity_answer = RB_REJECT;
    EXPECT_TRUE(define(save(w), "A"));
    EXPECT_EQ(rt::trace().lines.size(), 4u);
    EXPECT_EQ(out, "\nERROR: Unable to make entity \nERROR: Unable to make entity \nERROR: Unable to make entity ");
}

TEST_F(DeliveryTest, PrototypeEntitiesAreReferredTo)
{
    // The prototype's LINE lands in entity cache slot 0; the block repeats it.
    rt::PlainBlock proto;
    proto.line("0", 1, 2, 3, 4);
    rt::PlainBlock block(0, 0, 0, 0, "");
    block.bytes().push_back(static_cast<std::uint8_t>(-25));
    LibraryWriter w;
    w.add_prototype("P", proto.finish(), Compression::method1);
    w.add_block("A", block.finish(), {.prototype = "P"});
    w.add_block("B", block.finish(), {.prototype = "P"});
    w.add_block("BOTH", rt::PlainBlock().insert("0", "A").insert("0", "B").finish(),
                {.dependencies = {{9, "A"}, {9, "B"}}});
    const std::string path = save(w);
    rt::trace_register(true, false, false);
    EXPECT_TRUE(define(path, "A"));
    EXPECT_EQ(rt::trace().joined(), lines({"E (null)", "E (0.\"BLOCK\")(2.\"A\")(70.0)(10.(0 0 0))(1.\"\")",
                                           "E (0.\"LINE\")(8.\"0\")(10.(1 2 0))(11.(3 4 0))", "E (0.\"ENDBLK\")"}));
    // Two blocks share one prototype request.
    rt::trace_register(true, false, false);
    EXPECT_TRUE(define(path, "BOTH"));
    EXPECT_EQ(rt::trace().lines.size(), 4u * 2 + 5);
}

TEST_F(DeliveryTest, CombinedDataCarriesTheTableRecords)
{
    LibraryWriter w({.version = 40, .combined_data = 1});
    auto data = rt::PlainBlock().line("WALLS", 0, 0, 1, 1).finish();
    const auto layer_at = static_cast<std::int32_t>(data.size());
    for (int b : {5, int('W'), int('A'), int('L'), int('L'), int('S'), 7, 0, 0, 0})
        data.push_back(static_cast<std::uint8_t>(b));
    w.add_block("A", data, {.dependencies = {{5, "WALLS", layer_at, {"EXTRA"}}}});
    rt::trace_register(true, true, false);
    EXPECT_TRUE(define(save(w), "A"));
    EXPECT_EQ(rt::trace().joined(), lines({"T (0.\"LAYER\")(2.\"WALLS\")(70.0)(62.7)(6.\"\")", "E (null)",
                                           "E (0.\"BLOCK\")(2.\"A\")(70.0)(10.(0 0 0))(1.\"\")",
                                           "E (0.\"LINE\")(8.\"WALLS\")(10.(0 0 0))(11.(1 1 0))", "E (0.\"ENDBLK\")"}));
}

TEST_F(DeliveryTest, BrokenEntityDataFailsWithoutEndblk)
{
    auto data = rt::PlainBlock().line("0", 0, 0, 1, 1).bytes();
    data.push_back(0x60); // an entity record code that is not valid
    LibraryWriter w;
    w.add_block("A", data);
    rt::trace_register(true, false, false);
    EXPECT_FALSE(define(save(w), "A"));
    EXPECT_EQ(rt::trace().lines.size(), 3u);
    EXPECT_EQ(out, "\nUnrecognized ent buffer type: 96");
}

TEST_F(DeliveryTest, SmallRingsAreReadUntilAMissingEntryIsReferred)
{
    // No reals ring, no point ring or entity cache, no template slots: complete
    // entities still decode, and the names are listed.
    const tvlw::Settings small[] = {{.ring_size = 0}, {.ring_size = 2, .coding = 0}, {.record_ref_width = 2}};
    for (const auto &settings : small) {
        LibraryWriter w(settings);
        w.add_block("A", rt::PlainBlock().line("0", 0, 0, 1, 1).finish());
        const std::string path = save(w);
        resbuf *names = ta_tvllist(path.c_str());
        ASSERT_NE(names, nullptr);
        EXPECT_STREQ(names->value.string, "A");
        ta_relrb(names);
        rt::trace_register(true, false, false);
        EXPECT_TRUE(define(path, "A"));
        EXPECT_EQ(rt::trace().lines.size(), 4u);
        EXPECT_EQ(out, "");
    }

    // Without a reals ring a point cannot repeat an earlier one.
    LibraryWriter no_ring({.ring_size = 0});
    auto data = rt::PlainBlock().bytes();
    for (int b : {0, 1, 8, 1, int('0'), 10, 25, 0})
        data.push_back(static_cast<std::uint8_t>(b));
    no_ring.add_block("A", data);
    rt::trace_register(true, false, false);
    EXPECT_FALSE(define(save(no_ring), "A"));
    // The LINE ends at the failed point; the block then runs out of data.
    EXPECT_EQ(out, "\nPoint record error reading library file.\nERROR reading file.\nCannot read 0 chunk.");
    EXPECT_EQ(rt::trace().lines.back(), "E (0.\"LINE\")(8.\"0\")");

    // Without template slots a record that names one is not valid.
    LibraryWriter no_slots({.record_ref_width = 2});
    data = rt::PlainBlock().line("0", 0, 0, 1, 1).bytes();
    data.push_back(0x40 | 25);
    no_slots.add_block("A", data);
    rt::trace_register(true, false, false);
    EXPECT_FALSE(define(save(no_slots), "A"));
    EXPECT_EQ(out, "\nUnrecognized ent buffer type: 89");
    EXPECT_EQ(rt::trace().lines.size(), 3u);
}
