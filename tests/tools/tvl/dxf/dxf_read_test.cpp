// Reading DXF drawings: group pairs, sections, typed groups, symbol names.
#include <filesystem>
#include <gtest/gtest.h>

#include "dxf/dxf_drawing.h"
#include "dxf/dxf_groups.h"
#include "dxf/dxf_pack.h"
#include "dxf_text.h"
#include "scratch_folder.h"

namespace {

class dxf_read : public ::testing::Test {
protected:
    std::string file(const std::string &name, const std::string &text)
    {
        const std::string p = dir_.file(name);
        write_file(p, text);
        return p;
    }

    // The message of the failure reading this text, or "" when it reads.
    std::string failure(const std::string &text)
    {
        try {
            dxf::read_drawing(file("bad.dxf", text));
        } catch (const dxf::dxf_error &e) {
            return e.what();
        }
        return "";
    }

    skeltest::scratch_folder dir_;
};

const dxf_pairs a_line = {{0, "LINE"}, {8, "WALLS"}, {10, "1"}, {20, "2"}, {30, "3"}, {11, "4"}, {21, "5"}};

std::string no_name(const std::string &n)
{
    return n;
}

TEST_F(dxf_read, LineEndsAndCodeSpacingDoNotMatter)
{
    const dxf::drawing lf = dxf::read_drawing(file("lf.dxf", dxf_text(drawing(a_line))));
    const dxf::drawing crlf = dxf::read_drawing(file("crlf.dxf", dxf_text(drawing(a_line), "\r\n")));
    for (const dxf::drawing *d : {&lf, &crlf}) {
        ASSERT_EQ(d->entities.size(), 1u);
        EXPECT_EQ(d->entities[0].type, "LINE");
        EXPECT_EQ(d->entities[0].find(8)->value, "WALLS");
        EXPECT_EQ(d->version, "AC1015");
        EXPECT_EQ(d->base[0], 1.5);
        EXPECT_EQ(d->base[1], 2.5);
    }
}

TEST_F(dxf_read, RefusesWhatIsNotAsciiDxf)
{
    EXPECT_NE(failure(std::string("AutoCAD Binary DXF\r\n\x1a\0", 22) + "rest").find("binary DXF"), std::string::npos);
    const std::string dwg = failure(std::string("AC1018\0\0\0\0\0\x01", 12));
    EXPECT_NE(dwg.find("DWG"), std::string::npos) << dwg;
    EXPECT_NE(dwg.find("bad.dxf"), std::string::npos) << dwg;
    EXPECT_NE(failure("").find("empty file"), std::string::npos);
    EXPECT_NE(failure("hello\nworld\n").find("group code expected"), std::string::npos);
}

TEST_F(dxf_read, BrokenDrawingsNameFileAndLine)
{
    std::string text = dxf_text(drawing(a_line));
    // Truncated inside the entities: the section never ends.
    std::string m = failure(text.substr(0, text.find("ENTITIES") + 20));
    EXPECT_NE(m.find("has no ENDSEC"), std::string::npos) << m;
    EXPECT_NE(m.find("bad.dxf: line "), std::string::npos) << m;
    // Truncated between a code and its value.
    m = failure(text.substr(0, text.rfind("  0\nEOF")) + "  8\n");
    EXPECT_NE(m.find("ends before the value of group 8"), std::string::npos) << m;
    // No EOF.
    m = failure(text.substr(0, text.rfind("  0\nEOF")));
    EXPECT_NE(m.find("without \"0 EOF\""), std::string::npos) << m;
    // A section that opens inside another one.
    dxf_pairs nested = {{0, "SECTION"}, {2, "ENTITIES"}, {0, "SECTION"}, {2, "BLOCKS"}};
    m = failure(dxf_text(nested));
    EXPECT_NE(m.find("line 5: SECTION inside section ENTITIES of line 1"), std::string::npos) << m;
    // A block that never ends, and an ENDBLK that never began.
    m = failure(dxf_text(drawing({}, {}, {{0, "BLOCK"}, {2, "B"}, {0, "LINE"}})));
    EXPECT_NE(m.find("BLOCK without ENDBLK"), std::string::npos) << m;
    m = failure(dxf_text(drawing({}, {}, {{0, "ENDBLK"}})));
    EXPECT_NE(m.find("ENDBLK without a BLOCK"), std::string::npos) << m;
    // A value that is not a number.
    dxf_pairs bad = a_line;
    bad[2].second = "1,5";
    m = failure(dxf_text(drawing(bad)));
    EXPECT_EQ(m, "");
    dxf::dropped d;
    const dxf::drawing dr = dxf::read_drawing(file("n.dxf", dxf_text(drawing(bad))));
    try {
        dxf::convert_record("n.dxf", dr.entities[0], d, no_name);
        ADD_FAILURE() << "a real of \"1,5\" was taken";
    } catch (const dxf::dxf_error &e) {
        EXPECT_NE(std::string(e.what()).find("n.dxf: line "), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("a number expected, found \"1,5\""), std::string::npos) << e.what();
    }
}

TEST_F(dxf_read, AHugeLineStopsEarly)
{
    const std::string m = failure("  0\nSECTION\n  2\nENTITIES\n  0\n" + std::string(1 << 20, 'X') + "\n");
    EXPECT_NE(m.find("line 6: line longer than 65536 bytes"), std::string::npos) << m;
}

TEST_F(dxf_read, HeaderVariablesAfterAnEarlyEndOfTheHeader)
{
    // Some writers end the header after two variables, go on with the rest and end it again.
    dxf_pairs d = {{0, "SECTION"}, {2, "HEADER"}, {9, "$ACADVER"}, {1, "AC1015"}, {0, "ENDSEC"},
                   {9, "$INSBASE"}, {10, "7"}, {20, "8"}, {30, "9"}, {0, "ENDSEC"},
                   {0, "SECTION"}, {2, "ENTITIES"}};
    d.insert(d.end(), a_line.begin(), a_line.end());
    d.insert(d.end(), {{0, "ENDSEC"}, {0, "EOF"}});
    const dxf::drawing dr = dxf::read_drawing(file("q.dxf", dxf_text(d)));
    EXPECT_EQ(dr.base[2], 9.0);
    EXPECT_EQ(dr.entities.size(), 1u);
}

TEST_F(dxf_read, GroupsBecomeTypedValues)
{
    const dxf_pairs e = {{0, "LWPOLYLINE"}, {5, "2A"}, {330, "1F"}, {102, "{ACAD_REACTORS"}, {330, "20"},
                         {102, "}"}, {100, "AcDbEntity"}, {8, "0"}, {90, "2"}, {10, "1"}, {20, "2"},
                         {10, "3"}, {20, "4"}, {42, "-0.5"}, {290, "1"}, {420, "255"}, {310, "00FF10"},
                         {1001, "APP"}, {1010, "1"}, {1020, "2"}, {1030, "3"}, {1071, "4294967295"}};
    const dxf::drawing dr = dxf::read_drawing(file("g.dxf", dxf_text(drawing(e))));
    dxf::dropped left;
    const tvlw::Entity out = dxf::convert_record("g.dxf", dr.entities[0], left, no_name);
    std::vector<int> codes;
    for (const tvlw::Group &g : out.groups)
        codes.push_back(g.code);
    // Handles and references are left out silently; 290 and 420 cannot be stored.
    EXPECT_EQ(codes, (std::vector<int>{100, 8, 90, 10, 10, 42, 310, 1001, 1010, 1071}));
    const auto &second = std::get<tvlw::Point>(out.groups[4].value);
    EXPECT_EQ(second.x, 3.0);
    EXPECT_EQ(second.y, 4.0);
    EXPECT_EQ(second.z, 0.0);
    EXPECT_EQ(std::get<tvlw::Point>(out.groups[8].value).z, 3.0);
    EXPECT_EQ(std::get<tvlw::Binary>(out.groups[6].value).bytes, (std::vector<std::uint8_t>{0x00, 0xFF, 0x10}));
    EXPECT_EQ(std::get<std::int64_t>(out.groups[9].value), -1); // unsigned 32 bits kept
    EXPECT_EQ(left.summary(), "1 group 290, 1 group 420");
}

TEST_F(dxf_read, SequencesEndAsTheReaderExpects)
{
    const dxf_pairs e = {{0, "VERTEX"},   {8, "0"},  {0, "POLYLINE"}, {66, "1"}, {0, "VERTEX"}, {10, "1"},
                         {20, "1"},       {0, "LINE"}, {8, "0"},      {0, "SEQEND"}, {0, "INSERT"}, {2, "door"},
                         {0, "ATTRIB"}, {1, "A"}, {0, "SEQEND"}};
    const dxf::drawing dr = dxf::read_drawing(file("s.dxf", dxf_text(drawing(e))));
    dxf::dropped left;
    const auto out = dxf::convert_entities("s.dxf", dr.entities, left,
                                           [](const std::string &n) { return "B_" + n; });
    std::vector<std::string> types;
    for (const tvlw::Entity &x : out)
        types.push_back(x.type);
    // The open POLYLINE is closed before the LINE; the strays are left out.
    EXPECT_EQ(types, (std::vector<std::string>{"POLYLINE", "VERTEX", "SEQEND", "LINE", "INSERT", "ATTRIB", "SEQEND"}));
    EXPECT_EQ(left.summary(), "1 SEQEND, 1 VERTEX, 1 SEQEND added");
    EXPECT_EQ(std::get<std::string>(out[4].groups[0].value), "B_door");
}

TEST(dxf_names, SymbolNamesFromFileNames)
{
    EXPECT_EQ(dxf::symbol_name_for("/x/my part.v2.dxf"), "MY_PART_V2");
    EXPECT_EQ(dxf::symbol_name_for("Valve-ECF80.DXF"), "VALVE-ECF80");
    EXPECT_EQ(dxf::symbol_name_for(std::string(50, 'a') + ".dxf"), std::string(39, 'A'));
    EXPECT_EQ(dxf::symbol_name_for("_tavrel_x.dxf"), "S_TAVREL_X"); // would be hidden from the list
    EXPECT_EQ(dxf::symbol_name_for("door_dwe.dxf"), "DOOR_DWE_");   // "DOOR" would deliver it
}

} // namespace
