// tvl pack and tvl export end to end: drawings in, libraries, drawings out,
// checked by the independent DXF reader and by xmllint.
#include <filesystem>
#include <gtest/gtest.h>

#include "dxf_text.h"
#include "tvl_run.h"

namespace {

// Nested blocks, table records, sequences, awkward reals and extended data.
dxf_pairs part_tables()
{
    return {{0, "TABLE"},  {2, "LTYPE"},   {0, "LTYPE"}, {2, "DASHED"},  {70, "0"},     {3, "__ __"},
            {72, "65"},    {73, "2"},      {40, "0.75"}, {49, "0.5"},    {49, "-0.25"}, {0, "ENDTAB"},
            {0, "TABLE"},  {2, "LAYER"},   {0, "LAYER"}, {2, "WALLS"},   {70, "0"},     {62, "1"},
            {6, "DASHED"}, {0, "LAYER"},   {2, "Doors"}, {70, "4"},      {62, "-3"},    {6, "CONTINUOUS"},
            {0, "ENDTAB"}, {0, "TABLE"},   {2, "STYLE"}, {0, "STYLE"},   {2, "NOTES"},  {70, "0"},
            {40, "0.0"},   {41, "0.8"},    {50, "0.0"},  {71, "0"},      {3, "romans.shx"}, {4, ""},
            {0, "ENDTAB"}};
}

dxf_pairs part_blocks(const std::string &nut_end = "2.0")
{
    return {{0, "BLOCK"},  {8, "0"}, {2, "Bolt"}, {70, "0"}, {10, "0"}, {20, "0"}, {30, "0"},
            {0, "CIRCLE"}, {8, "WALLS"}, {10, "0"}, {20, "0"}, {40, "0.3"},
            {0, "INSERT"}, {8, "0"}, {2, "NUT"}, {10, "0"}, {20, "0"},
            {0, "ENDBLK"}, {8, "0"},
            {0, "BLOCK"},  {8, "0"}, {2, "NUT"}, {70, "0"}, {10, "0"}, {20, "0"}, {30, "0"},
            {0, "LINE"},   {8, "Doors"}, {10, "0"}, {20, "0"}, {11, nut_end}, {21, "0"},
            {0, "ENDBLK"}, {8, "0"},
            {0, "BLOCK"},  {8, "0"}, {2, "UNUSED"}, {70, "0"}, {10, "0"}, {20, "0"},
            {0, "POINT"},  {8, "0"}, {10, "0"}, {20, "0"},
            {0, "ENDBLK"}, {8, "0"}};
}

dxf_pairs part_entities()
{
    return {{0, "LINE"},     {5, "2F"},      {8, "WALLS"},   {10, "0.1"},   {20, "1e-300"},  {30, "-0.0"},
            {11, "123456.78901234567"}, {21, "-2.5"}, {31, "0"},
            {1001, "TVLTEST"}, {1000, "note"}, {1040, "2.5"},
            {0, "INSERT"},   {8, "0"},       {66, "1"},      {2, "bolt"},   {10, "10"},      {20, "0"},
            {41, "2"},       {50, "30"},
            {0, "ATTRIB"},   {8, "0"},       {10, "10"},     {20, "1"},     {40, "0.2"},     {1, "M8"},
            {2, "SIZE"},     {70, "0"},
            {0, "SEQEND"},   {8, "0"},
            {0, "POLYLINE"}, {8, "WALLS"},   {66, "1"},      {70, "1"},
            {0, "VERTEX"},   {8, "WALLS"},   {10, "0"},      {20, "0"},     {42, "0.41421356237309503"},
            {0, "VERTEX"},   {8, "WALLS"},   {10, "5"},      {20, "0"},
            {0, "SEQEND"},   {8, "WALLS"},
            {0, "TEXT"},     {8, "Doors"},   {7, "NOTES"},   {10, "1"},     {20, "4"},       {40, "0.5"},
            {1, "PART 7 ^ 50%"},
            {0, "3DFACE"},   {8, "0"},       {10, "0"},      {20, "0"},     {30, "0"},       {11, "1"},
            {21, "0"},       {31, "0"},      {12, "1"},      {22, "1"},     {32, "1"},       {13, "0"},
            {23, "1"},       {33, "1"}};
}

bool have_ezdxf()
{
    return skeltest::run({"/usr/bin/python3", {"-c", "import ezdxf"}}).status == 0;
}

class pack_export : public tvl_test {
protected:
    std::string part(const std::string &name = "part.dxf", const std::string &nut_end = "2.0")
    {
        const std::string p = path(name);
        write_file(p, dxf_text(drawing(part_entities(), part_tables(), part_blocks(nut_end))));
        return p;
    }

    // The independent reader's verdict: "" when the drawing passes.
    std::string check(const std::vector<std::string> &args)
    {
        if (!have_ezdxf())
            return "";
        std::vector<std::string> script{DXF_CHECK};
        script.insert(script.end(), args.begin(), args.end());
        const skeltest::run_result r = skeltest::run({"/usr/bin/python3", script});
        return r.status == 0 ? "" : "check failed: " + r.out + r.err;
    }

    std::string dump(const std::string &library, const std::string &symbol)
    {
        const tvl_result r = tvl({"dump", library, symbol, "--exact"});
        EXPECT_EQ(r.status, 0) << r.err;
        return r.out;
    }
};

TEST_F(pack_export, EveryValueComesBackThroughDxf)
{
    const tvl_result packed = tvl({"pack", path("lib.tvl"), part(), "--quiet"});
    ASSERT_EQ(packed.status, 0) << packed.err;
    EXPECT_EQ(packed.err, "");
    EXPECT_EQ(tvl({"list", path("lib.tvl")}).out, "PART\n");
    const std::string first = dump(path("lib.tvl"), "PART");
    // Nested blocks come first, the unused one not at all; references are stored in upper case.
    EXPECT_NE(first.find("(0.\"BLOCK\")(2.\"NUT\")"), std::string::npos);
    EXPECT_LT(first.find("(2.\"NUT\")"), first.find("(2.\"BOLT\")"));
    EXPECT_EQ(first.find("UNUSED"), std::string::npos);
    EXPECT_NE(first.find("(0.\"INSERT\")(8.\"0\")(66.1)(2.\"BOLT\")"), std::string::npos);
    EXPECT_NE(first.find("(10.(0.10000000000000001 1e-300 -0))"), std::string::npos) << first;
    EXPECT_NE(first.find("(2.\"DOORS\")(70.4)(62.-3)"), std::string::npos);
    EXPECT_NE(first.find("(1001.\"TVLTEST\")(1000.\"note\")(1040.2.5)"), std::string::npos);
    EXPECT_EQ(first.find("(5."), std::string::npos); // the source drawing's handle

    for (const std::string version : {"12", "2000"}) {
        std::filesystem::create_directories(path("out" + version));
        const std::string out = path("out" + version + "/PART.dxf");
        const tvl_result exported = tvl({"export", path("lib.tvl"), "PART", "-o", out, "--dxf-version", version});
        ASSERT_EQ(exported.status, 0) << exported.err;
        EXPECT_NE(skeltest::read_file(out).find(version == "12" ? "AC1009" : "AC1015"), std::string::npos);
        write_file(path("dump.txt"), first);
        EXPECT_EQ(check({"audit", out, path("dump.txt")}), "");
        const std::string again = path("again" + version + ".tvl");
        ASSERT_EQ(tvl({"pack", again, out}).status, 0);
        EXPECT_EQ(dump(again, "PART"), first) << "through DXF " << version;
    }
}

TEST_F(pack_export, DrawingsOfTheIndependentLibraryPackAndComeBack)
{
    if (!have_ezdxf())
        GTEST_SKIP() << "python3-ezdxf is not installed";
    ASSERT_EQ(check({"make", path("ez.dxf")}), "");
    ASSERT_EQ(tvl({"pack", path("ez.tvl"), path("ez.dxf")}).status, 0);
    const std::string first = dump(path("ez.tvl"), "EZ");
    EXPECT_NE(first.find("(0.\"LWPOLYLINE\")"), std::string::npos);
    EXPECT_NE(first.find("(2.\"BOLT\")"), std::string::npos);
    std::filesystem::create_directories(path("out"));
    ASSERT_EQ(tvl({"export", path("ez.tvl"), "EZ", "-o", path("out/EZ.dxf")}).status, 0);
    // LWPOLYLINE is not an R12 entity, so the drawing is written as R2000.
    EXPECT_NE(skeltest::read_file(path("out/EZ.dxf")).find("AC1015"), std::string::npos);
    write_file(path("dump.txt"), first);
    EXPECT_EQ(check({"audit", path("out/EZ.dxf"), path("dump.txt")}), "");
    ASSERT_EQ(tvl({"pack", path("again.tvl"), path("out/EZ.dxf")}).status, 0);
    EXPECT_EQ(dump(path("again.tvl"), "EZ"), first);
}

TEST_F(pack_export, AFailedPackLeavesTheEarlierLibrary)
{
    ASSERT_EQ(tvl({"pack", path("lib.tvl"), part()}).status, 0);
    const std::string before = skeltest::read_file(path("lib.tvl"));
    std::string text = dxf_text(drawing(part_entities()));
    write_file(path("cut.dxf"), text.substr(0, text.size() / 2));
    write_file(path("binary.dxf"), std::string("AutoCAD Binary DXF\r\n\x1a\0", 22));
    write_file(path("drawing.dwg"), std::string("AC1027\0\0\0\0\0\0\x01", 13));
    const tvl_result r = tvl({"pack", path("lib.tvl"), part(), path("cut.dxf"), path("binary.dxf"),
                              path("drawing.dwg")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cut.dxf: line "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("binary.dxf: a binary DXF file"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("drawing.dwg: a DWG drawing"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("3 of 4 drawings could not be read"), std::string::npos) << r.err;
    EXPECT_EQ(skeltest::read_file(path("lib.tvl")), before);
    for (const auto &e : std::filesystem::directory_iterator(dir_.path()))
        EXPECT_EQ(e.path().filename().string().find(".lib.tvl."), std::string::npos) << "left behind: " << e.path();
    // With --skip-bad the readable drawings are packed, and the failure still shows.
    const tvl_result skipped = tvl({"pack", path("part_only.tvl"), part(), path("cut.dxf"), "--skip-bad"});
    EXPECT_EQ(skipped.status, 1);
    EXPECT_EQ(tvl({"list", path("part_only.tvl")}).out, "PART\n");
}

TEST_F(pack_export, BlocksOfOneNameStayApartUnlessAlike)
{
    part("a.dxf");
    part("b.dxf", "3.0"); // a different NUT
    part("c.dxf");        // the same NUT as a.dxf
    const tvl_result r = tvl({"pack", path("lib.tvl"), path("a.dxf"), path("b.dxf"), path("c.dxf")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("b.dxf: block NUT stored as NUT_2"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("b.dxf: block BOLT stored as BOLT_2"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("c.dxf: block"), std::string::npos) << r.err;
    const std::string b = dump(path("lib.tvl"), "B");
    EXPECT_NE(b.find("(0.\"BLOCK\")(2.\"NUT_2\")"), std::string::npos) << b;
    EXPECT_NE(b.find("(2.\"BOLT_2\")"), std::string::npos) << b;
    EXPECT_NE(b.find("(11.(3 0 0))"), std::string::npos) << b;
    const std::string c = dump(path("lib.tvl"), "C");
    EXPECT_NE(c.find("(11.(2 0 0))"), std::string::npos) << c;
    EXPECT_EQ(c.find("NUT_2"), std::string::npos);
}

TEST_F(pack_export, WhatCannotBeStoredIsCountedOnOneLine)
{
    dxf_pairs e = part_entities();
    e.insert(e.begin(), {{0, "VERTEX"}, {8, "0"}});
    e.push_back({290, "1"});
    write_file(path("odd.dxf"), dxf_text(drawing(e)));
    const tvl_result r = tvl({"pack", path("lib.tvl"), path("odd.dxf")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("odd.dxf: left out 1 group 290, 1 VERTEX\n"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("odd.dxf: inserts block BOLT, which the drawing does not define"), std::string::npos);
    EXPECT_EQ(tvl({"pack", path("lib.tvl"), path("odd.dxf"), "--quiet"}).err, "");
}

TEST_F(pack_export, SvgAndObjOfTheScene)
{
    write_file(path("box.dxf"),
               dxf_text(drawing({{0, "LINE"}, {8, "0"}, {10, "0"}, {20, "0"}, {11, "10"}, {21, "5"},
                                 {0, "3DFACE"}, {8, "0"}, {10, "0"}, {20, "0"}, {30, "0"}, {11, "4"}, {21, "0"},
                                 {31, "0"}, {12, "4"}, {22, "2"}, {32, "0"}, {13, "4"}, {23, "2"}, {33, "0"}})));
    ASSERT_EQ(tvl({"pack", path("lib.tvl"), path("box.dxf")}).status, 0);
    const tvl_result svg = tvl({"export", path("lib.tvl"), "BOX", "-o", path("box.svg"), "--mode", "classic"});
    ASSERT_EQ(svg.status, 0) << svg.err;
    const std::string s = skeltest::read_file(path("box.svg"));
    // y up in the drawing, down in SVG; a tenth of the size (10) as margin.
    EXPECT_NE(s.find("viewBox=\"-1 -6 12 7\""), std::string::npos) << s;
    EXPECT_NE(s.find("M0 0L10 -5"), std::string::npos) << s;
    EXPECT_NE(s.find("fill=\"#"), std::string::npos) << s;
    // Checked where xmllint is installed (a program that cannot start gives 127).
    const skeltest::run_result lint = skeltest::run({"xmllint", {"--noout", path("box.svg")}});
    if (lint.status != 127) {
        EXPECT_EQ(lint.status, 0) << lint.out << lint.err;
    }

    const tvl_result obj = tvl({"export", path("lib.tvl"), "BOX", "-o", path("box.obj"), "--mode", "classic"});
    ASSERT_EQ(obj.status, 0) << obj.err;
    const std::string o = skeltest::read_file(path("box.obj"));
    EXPECT_EQ(o.rfind("mtllib box.mtl\n", 0), 0u) << o;
    EXPECT_NE(o.find("\nf "), std::string::npos) << o;
    EXPECT_NE(o.find("\nl "), std::string::npos) << o;
    EXPECT_NE(o.find("\nvn 0 0 "), std::string::npos) << o;
    EXPECT_NE(skeltest::read_file(path("box.mtl")).find("newmtl c_"), std::string::npos);

    const tvl_result all = tvl({"export", path("lib.tvl"), "--all", "-o", path("svgs"), "--format", "svg"});
    EXPECT_EQ(all.status, 0) << all.err;
    EXPECT_TRUE(std::filesystem::exists(path("svgs/BOX.svg")));
    const tvl_result missing = tvl({"export", path("lib.tvl"), "NOPE", "-o", path("nope.svg")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("cannot load symbol NOPE"), std::string::npos) << missing.err;
    EXPECT_FALSE(std::filesystem::exists(path("nope.svg")));
}

TEST_F(pack_export, SymbolNamesCannotLeadFilesOutOfTheFolder)
{
    const std::string lib = library({{"../ESCAPE", {make("LINE")(8, "0")(10, tvlw::Point{0, 0, 0})(11, tvlw::Point{1, 1, 0})}}});
    const tvl_result r = tvl({"export", lib, "--all", "-o", path("out"), "--format", "svg", "--mode", "classic"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(std::filesystem::exists(path("out/_.._ESCAPE.svg")));
    EXPECT_FALSE(std::filesystem::exists(path("ESCAPE.svg")));
}

} // namespace
