// tvl list and tvl dump, run as a host runs them.
#include "tvl_run.h"

using tvlw::LibraryWriter;

TEST_F(TvlTest, ListPrintsNamesInFileOrder)
{
    for (int version : {20, 30, 45}) {
        LibraryWriter w({.version = version});
        const auto block = rt::PlainBlock().finish();
        w.add_block("WINDOW", block);
        w.add_block("*ANON", block);
        w.add_block("_TAVRELX", block);
        w.add_block("DOOR", block, {.hidden = true});
        w.add_block("CHAIR", block);
        const ToolRun r = tvl({"list", save(w)});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, version >= 30 ? "WINDOW\nCHAIR\n" : "WINDOW\nDOOR\nCHAIR\n");
        EXPECT_EQ(r.err, "");
    }
}

TEST_F(TvlTest, ListExplainsWhyNothingCame)
{
    ToolRun r = tvl({"list", dir.file("missing")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "tvl list: " + dir.file("missing") + ": no such library file\n");

    rt::write_bytes(dir.file("text.tvl"), {'h', 'e', 'l', 'l', 'o', '\n'});
    r = tvl({"list", dir.file("text.tvl")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "\nERROR: Not a symbol library file.");
    EXPECT_NE(r.err.find("not a symbol library"), std::string::npos);

    LibraryWriter empty;
    r = tvl({"list", save(empty)});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("holds no listed symbols"), std::string::npos);

    LibraryWriter v50;
    v50.set_version_text("50");
    r = tvl({"list", save(v50)});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "\nERROR: Cannot read version \"TVL50\" library file.");

    LibraryWriter rbad({.record_ref_width = 4});
    r = tvl({"list", save(rbad)});
    EXPECT_EQ(r.out, "Library file error: invalid value for RBAD.");
    LibraryWriter c3({.coding = 3});
    EXPECT_EQ(tvl({"list", save(c3)}).out, "Unrecognized compression type in library.");
    LibraryWriter fr9({.fraction_bits = 9});
    EXPECT_EQ(tvl({"list", save(fr9)}).out, "\nCorrupted library file.");
}

TEST_F(TvlTest, DumpWritesOneLinePerCallback)
{
    LibraryWriter w;
    w.add_layer("WALLS", 3, 0, "CONTINUOUS");
    rt::PlainBlock b;
    b.entity(2).str(8, "WALLS").point(10, 1.0 / 3.0, 2, 0).end_entity();
    w.add_block("DOOR", b.finish(), {.dependencies = {{5, "WALLS"}}});
    const std::string lib = save(w);
    const std::string expected_tables =
        "T (0.\"LAYER\")(2.\"WALLS\")(70.0)(62.3)(6.\"CONTINUOUS\")\n"
        "C (5005.\"_.LAYER\")(5005.\"_NEW\")(5005.\"WALLS\")(5005.\"_COLOR\")(5003.3)(5005.\"WALLS\")\n"
        "C (5005.\"_LTYPE\")(5005.\"CONTINUOUS\")(5005.\"WALLS\")(5005.\"\")\n"
        "E (null)\n"
        "E (0.\"BLOCK\")(2.\"DOOR\")(70.0)(10.(0 0 0))(1.\"\")\n";

    ToolRun r = tvl({"dump", lib, "DOOR"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, expected_tables + "E (0.\"POINT\")(8.\"WALLS\")(10.(0.333333 2 0))\nE (0.\"ENDBLK\")\nRESULT 1\n");

    r = tvl({"dump", lib, "DOOR", "--exact", "-o", dir.file("trace.txt")});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(rt::read_file(dir.file("trace.txt")),
              expected_tables + "E (0.\"POINT\")(8.\"WALLS\")(10.(0.33333333333333331 2 0))\nE (0.\"ENDBLK\")\nRESULT 1\n");

    r = tvl({"dump", lib, "WINDOW"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "\nERROR: WINDOW not found in table B.RESULT 0\n");
}

TEST_F(TvlTest, EveryCommandHasHelp)
{
    EXPECT_EQ(tvl({"list", "--help"}).status, 0);
    EXPECT_EQ(tvl({"dump", "--help"}).status, 0);
    EXPECT_NE(tvl({"dump"}).status, 0);
}

TEST_F(TvlTest, DumpReadsOlderLibraries)
{
    // Version 25: no flag bytes in block and index records, and type number 25
    // carries an explicit type name.
    LibraryWriter w({.version = 25});
    w.add_layer("0", 7, 0, "CONTINUOUS");
    w.add_block("SUB", rt::PlainBlock().line("0", 0, 0, 1, 1).finish(), {.compression = tvlw::Compression::method1});
    rt::PlainBlock b(0, 1, 2, 3);
    b.entity(25);
    for (char c : std::string("\6WIDGET"))
        b.bytes().push_back(static_cast<std::uint8_t>(c));
    b.str(8, "0").end_entity().insert("0", "SUB");
    w.add_block("OLD", b.finish(),
                {.compression = tvlw::Compression::method1, .dependencies = {{5, "0"}, {9, "SUB"}}});
    const ToolRun r = tvl({"dump", save(w), "OLD"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "T (0.\"LAYER\")(2.\"0\")(70.0)(62.7)(6.\"CONTINUOUS\")\n"
                     "C (5005.\"_.LAYER\")(5005.\"_NEW\")(5005.\"0\")(5005.\"_COLOR\")(5003.7)(5005.\"0\")\n"
                     "C (5005.\"_LTYPE\")(5005.\"CONTINUOUS\")(5005.\"0\")(5005.\"\")\n"
                     "E (null)\n"
                     "E (0.\"BLOCK\")(2.\"SUB\")(70.0)(10.(0 0 0))(1.\"\")\n"
                     "E (0.\"LINE\")(8.\"0\")(10.(0 0 0))(11.(1 1 0))\n"
                     "E (0.\"ENDBLK\")\n"
                     "E (null)\n"
                     "E (0.\"BLOCK\")(2.\"OLD\")(70.0)(10.(1 2 3))(1.\"\")\n"
                     "E (0.\"WIDGET\")(8.\"0\")\n"
                     "E (0.\"INSERT\")(8.\"0\")(2.\"SUB\")(10.(0 0 0))\n"
                     "E (0.\"ENDBLK\")\n"
                     "RESULT 1\n");
}

TEST_F(TvlTest, DumpOfCombinedData)
{
    // Setting 2: the requested block's data carries the nested block, which
    // starts with one entity that is read but not delivered, and the layer.
    LibraryWriter w({.version = 40, .combined_data = 2});
    auto data = rt::PlainBlock().insert("WALLS", "B").finish();
    const auto nested_at = static_cast<std::int32_t>(data.size());
    auto nested = rt::PlainBlock(0, 5, 5, 0).line("HIDDEN", 9, 9, 9, 9).line("WALLS", 0, 0, 2, 2).finish();
    data.insert(data.end(), nested.begin(), nested.end());
    const auto layer_at = static_cast<std::int32_t>(data.size());
    for (int c : {5, int('W'), int('A'), int('L'), int('L'), int('S'), 7, 0, 0, 0})
        data.push_back(static_cast<std::uint8_t>(c));
    w.add_block("A", data,
                {.compression = tvlw::Compression::method2,
                 .dependencies = {{5, "WALLS", layer_at, {}}, {9, "B", nested_at, {}}}});
    const ToolRun r = tvl({"dump", save(w), "A"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "T (0.\"LAYER\")(2.\"WALLS\")(70.0)(62.7)(6.\"\")\n"
                     "C (5005.\"_.LAYER\")(5005.\"_NEW\")(5005.\"WALLS\")(5005.\"_COLOR\")(5003.7)(5005.\"WALLS\")\n"
                     "C (5005.\"_LTYPE\")(5005.\"\")(5005.\"WALLS\")(5005.\"\")\n"
                     "E (null)\n"
                     "E (0.\"BLOCK\")(2.\"B\")(70.0)(10.(5 5 0))(1.\"\")\n"
                     "E (0.\"LINE\")(8.\"WALLS\")(10.(0 0 0))(11.(2 2 0))\n"
                     "E (0.\"ENDBLK\")\n"
                     "E (null)\n"
                     "E (0.\"BLOCK\")(2.\"A\")(70.0)(10.(0 0 0))(1.\"\")\n"
                     "E (0.\"INSERT\")(8.\"WALLS\")(2.\"B\")(10.(0 0 0))\n"
                     "E (0.\"ENDBLK\")\n"
                     "RESULT 1\n");
}

TEST_F(TvlTest, DecompressionErrorsAreShownInMessageBoxes)
{
    rt::PlainBlock b;
    for (int i = 0; i < 20; ++i)
        b.line("WALLS", 0, 0, 1, 1);
    LibraryWriter w;
    w.add_block("BAD", b.finish(), {.compression = tvlw::Compression::method2});
    tvlw::Layout layout;
    auto bytes = w.bytes(&layout);
    // The record: type, name, flags, four links, dependency and prototype
    // offsets, then the stored length and the first chunk's header.
    const std::size_t chunk = layout.blocks["BAD"] + 1 + 4 + 1 + 16 + 4 + 4 + 4;
    const int plain = bytes[chunk] | (bytes[chunk + 1] << 8);
    const int stored = bytes[chunk + 2] | (bytes[chunk + 3] << 8);
    ASSERT_LT(stored, plain);
    const std::string log = dir.file("boxes.log");
    const std::vector<std::pair<std::string, std::string>> env{{"SKELVANE_UI", "script:" + dir.file("answers.txt")},
                                                               {"SKELVANE_UI_LOG", log}};
    rt::write_bytes(dir.file("answers.txt"), {'y', 'e', 's', '\n'});

    bytes[chunk + 4] |= 7; // a method that does not exist
    rt::write_bytes(dir.file("cx.tvl"), bytes);
    ToolRun r = tvl({"dump", dir.file("cx.tvl"), "BAD"}, env);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "RESULT 0\n");
    EXPECT_EQ(rt::read_file(log), "box\tMessage\t\\nERROR: Decompressing Cx buffer.\\n\\nDisplay additional messages?"
                                  "\tYESNO\tSTOP\tSYSTEM\tYES\n");

    bytes[chunk] = 0; // plain length below the stored length
    bytes[chunk + 1] = 0;
    rt::write_bytes(dir.file("short.tvl"), bytes);
    std::remove(log.c_str());
    r = tvl({"dump", dir.file("short.tvl"), "BAD"}, env);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "RESULT 0\n");
    EXPECT_EQ(rt::read_file(log), "box\tMessage\t\\nERROR: Corrupted library file.\\n\\nDisplay additional messages?"
                                  "\tYESNO\tSTOP\tSYSTEM\tYES\n");
}
