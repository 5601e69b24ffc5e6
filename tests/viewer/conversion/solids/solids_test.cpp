#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "conversion/conversion_state.h"
#include "conversion/layer_colors.h"
#include "conversion/solids.h"
#include "render/scene_functions.h"
#include "file_text.h"
#include "scratch_folder.h"
#include "skelvane/ui.h"
#include "state/cl_viewer_app.h"
#include "support/layer_color_table.h"

namespace fs = std::filesystem;

namespace {

// The drawing format's mirrored form of a text.
std::string mirrored(const std::string &text)
{
    std::string out = text;
    for (char &c : out) {
        unsigned char b = static_cast<unsigned char>(c);
        if (b >= 33 && b <= 127)
            c = static_cast<char>(159 - b);
    }
    return out;
}

class chain_builder {
public:
    chain_builder &add(int code, const std::string &text)
    {
        texts_.push_back(text);
        codes_.push_back(code);
        return *this;
    }
    const resbuf *get()
    {
        nodes_.assign(codes_.size(), resbuf{});
        for (std::size_t k = 0; k < codes_.size(); ++k) {
            nodes_[k].code = static_cast<int16_t>(codes_[k]);
            nodes_[k].value.string = texts_[k].data();
            nodes_[k].next = k + 1 < codes_.size() ? &nodes_[k + 1] : nullptr;
        }
        return nodes_.empty() ? nullptr : &nodes_[0];
    }

private:
    std::vector<int> codes_;
    std::vector<std::string> texts_;
    std::vector<resbuf> nodes_;
};

class SolidsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(root_ / "tmp");
        fs::create_directories(root_ / "app" / "3dsolids_files");
        saved_tmp_ = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "";
        setenv("TMPDIR", (root_ / "tmp").c_str(), 1);
        setenv("SKELVANE_UI", "none", 1);
        setenv("SKELVANE_UI_LOG", (root_ / "ui.log").c_str(), 1);
        skel_ui_reset();
        viewer_app().folder = (root_ / "app").string();
        reset_conversion_state();
        current_scene = new cl_opengl_image;
        set_solids_wait_limit(60000);
        set_solids_limits(solids_symbol_limits{});
    }
    void TearDown() override
    {
        delete current_scene;
        current_scene = nullptr;
        if (saved_tmp_.empty())
            unsetenv("TMPDIR");
        else
            setenv("TMPDIR", saved_tmp_.c_str(), 1);
        unsetenv("SKELVANE_UI_LOG");
        skel_ui_reset();
    }

    void converter(const std::string &script_body)
    {
        fs::path p = root_ / "app" / "3dsolids_files" / "Vorstep.exe";
        std::ofstream(p) << "#!/bin/sh\n" << script_body << "\n";
        fs::permissions(p, fs::perms::owner_all);
    }

    fs::path tmp(const std::string &name) const { return root_ / "tmp" / name; }
    // What the conversions left in the temporary folder.
    std::vector<std::string> left_in_tmp() const
    {
        std::vector<std::string> names;
        for (const auto &e : fs::directory_iterator(root_ / "tmp"))
            names.push_back(e.path().filename().string());
        return names;
    }
    // The base that a conversion's paths share: the folder, a number of its own
    // and the pattern's text.
    static std::string base_of(const std::string &sat_path)
    {
        return sat_path.substr(0, sat_path.size() - 4);
    }
    std::string log() const { return skeltest::read_file(root_ / "ui.log"); }

    const resbuf *solid_chain()
    {
        chain_.add(0, "3DSOLID").add(8, "walls").add(1, mirrored("400 0 1 0")).add(3, mirrored("body $-1 ")).add(1, mirrored("$1 #"));
        return chain_.get();
    }

    skeltest::scratch_folder scratch_;
    const fs::path root_ = scratch_.path();
    std::string saved_tmp_;
    chain_builder chain_;
};

const char *one_face =
    "0\nSECTION\n2\nENTITIES\n0\n3DFACE\n8\n0\n10\n0\n20\n0\n30\n0\n11\n1\n21\n0\n31\n0\n12\n1\n22\n1\n32\n0\n0\nENDSEC\n";

} // namespace

TEST_F(SolidsTest, SatFileUndoesTheSubstitutionAndRunsOnGroupsThreeAndFour)
{
    conversion_state().sat_path = tmp("x.sat").string();
    chain_builder c;
    c.add(0, "3DSOLID").add(1, mirrored("abc")).add(3, mirrored("def")).add(1, mirrored("ghi")).add(8, mirrored("skip"));
    c.add(1, "").add(4, "A \xC8").add(1, "");
    ASSERT_TRUE(write_sat_file(c.get()));
    // 'A' (65) becomes '^' (94); a space and byte 200 stay.
    EXPECT_EQ(skeltest::read_file(tmp("x.sat")), "abc\r\ndefghi\r\n^ \xC8" "End-of-ACIS-data\r\n");

    conversion_state().sat_path = (root_ / "missing" / "x.sat").string();
    EXPECT_FALSE(write_sat_file(c.get()));
}

TEST_F(SolidsTest, FacesFileRules)
{
    layer_color_map_add("known_s", 3);
    LayerColorTable.assign(256, 0x00C8C8C8);
    LayerColorTable[3] = 0x000000FF;
    LayerColorTable[4] = 0x0000FF00;
    std::ofstream(tmp("f.dxf"))
        << "0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nLAYER\n70\n2\n"
           "0\nLAYER\n2\nknown_s\n62\n4\n0\nLAYER\n2\n  fresh_s  \n62\n4\n0\nENDTAB\n0\nENDSEC\n"
           "0\nSECTION\n2\nENTITIES\n"
           "0\n3DFACE\n8\nnowhere\n10\n0\n20\n0\n30\n0\n11\n1\n21\n0\n31\n0\n12\n1\n22\n1\n32\n0\n"
           "0\n3DFACE\n8\nfresh_s\n12\n5\n22\n5\n32\n5\n13\n6\n23\n6\n33\n6\n"
           "0\n3DFACE\n8\nknown_s\n"
           "0\n3DFACE\n8\nnowhere\n"
           "0\n3DFACE\n8\nlost\n10\n9\n";
    read_faces_file(tmp("f.dxf").string());
    // The existing layer keeps colour 3; the new one (trimmed) gets 4.
    EXPECT_EQ(layer_color_map().at("known_s"), "3");
    EXPECT_EQ(layer_color_map().at("fresh_s"), "4");
    const auto &t = current_scene->triangles;
    ASSERT_EQ(t.size(), 8u); // four faces; the last, unterminated one is lost
    // First face: grey, corners 3 and 4 both (1, 1, 0).
    EXPECT_EQ(t[0].color, 0x808080u);
    EXPECT_EQ(t[1].corner_a.x, 1.0);
    EXPECT_EQ(t[1].corner_b.y, 1.0);
    EXPECT_EQ(t[1].corner_a.y, t[1].corner_b.y);
    EXPECT_EQ(t[2].color, 0x00FF00u);
    EXPECT_EQ(t[3].corner_b.z, 6.0); // group 13 sets corner 4 only
    EXPECT_EQ(t[4].color, 0x0000FFu);
    EXPECT_EQ(t[6].color, 0x0000FFu); // no colour of its own: the last one stays
}

TEST_F(SolidsTest, ConverterFacesAreReadAndTemporaryFilesRemoved)
{
    std::ofstream(root_ / "faces.txt") << one_face;
    converter("test \"$#\" = 2 || exit 3\ncp \"" + (root_ / "faces.txt").string() +
              "\" \"$2\"\ncp \"$1\" ../sat.copy\n: > \"${2%_faces.dxf}.dxf\"\n: > \"${2%_tmp_faces.dxf}_new.dxf\"\n"
              ": > \"${2%_faces.dxf}.dbg\"\nprintf '%s\\n' \"$1\" \"$2\" \"$(pwd)\" > ../args.txt");
    convert_solid(cl_entity_record{}, solid_chain(), "%s%drp_3dsolid_tmp");
    EXPECT_EQ(current_scene->triangles.size(), 2u);
    EXPECT_EQ(skeltest::read_file(root_ / "sat.copy"), "400 0 1 0\r\nbody $-1 $1 #\r\nEnd-of-ACIS-data\r\n");
    const auto &s = conversion_state();
    const std::string base = base_of(s.sat_path);
    EXPECT_TRUE(base.starts_with(tmp("").string())) << base;
    EXPECT_TRUE(base.ends_with("rp_3dsolid_tmp")) << base;
    EXPECT_EQ(s.faces_path, base + "_faces.dxf");
    EXPECT_EQ(s.new_dxf_path, base.substr(0, base.size() - 4) + "_new.dxf");
    // Every temporary file of the conversion is gone afterwards.
    EXPECT_TRUE(left_in_tmp().empty());
    EXPECT_EQ(log(), "");
    // Started in the viewer's folder with the two paths as its arguments.
    EXPECT_EQ(skeltest::read_file(root_ / "args.txt"), s.sat_path + "\n" + s.faces_path + "\n" + (root_ / "app").string() + "\n");
}

TEST_F(SolidsTest, HungConverterIsStoppedAfterTheWait)
{
    converter("cp \"" + (root_ / "faces.txt").string() + "\" \"$2\"\nexec sleep 30");
    std::ofstream(root_ / "faces.txt") << one_face;
    set_solids_wait_limit(300);
    auto start = std::chrono::steady_clock::now();
    convert_solid(cl_entity_record{}, solid_chain(), "%s%drp_region_tmp");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    // Whatever faces file exists after the wait is still read.
    EXPECT_EQ(current_scene->triangles.size(), 2u);
    EXPECT_TRUE(left_in_tmp().empty());
}

TEST_F(SolidsTest, CrashingConverterAddsNothing)
{
    converter("kill -SEGV $$");
    convert_solid(cl_entity_record{}, solid_chain(), "%s%drp_body_tmp");
    EXPECT_TRUE(current_scene->triangles.empty());
    EXPECT_TRUE(left_in_tmp().empty());
}

TEST_F(SolidsTest, MissingConverterShowsItsBox)
{
    convert_solid(cl_entity_record{}, solid_chain(), "%s%drp_3dsolid_tmp");
    std::string program = viewer_app().folder + "\\\\3dsolids_files\\\\Vorstep.exe";
    EXPECT_EQ(log(), "box\tSkelvane\tCannot find solids sonversion routine: " + program + "\tOK\tNONE\tAPPL\tOK\n");
    EXPECT_TRUE(left_in_tmp().empty());
}

TEST_F(SolidsTest, OverlongCommandLineIsReportedAsNotStarted)
{
    converter("exit 0");
    setenv("TMPDIR", (root_ / "tmp" / std::string(240, 'd')).c_str(), 1);
    fs::create_directories(root_ / "tmp" / std::string(240, 'd'));
    convert_solid(cl_entity_record{}, solid_chain(), "%s%drp_3dsolid_tmp");
    EXPECT_NE(log().find("File Conversion failure. Process could not be started.\\n\\nCould not convert solids file:"),
              std::string::npos);
}

TEST_F(SolidsTest, TableOpensOnlyALayerTableAndUsesUpItsNextPair)
{
    LayerColorTable.assign(256, 0x00C8C8C8);
    LayerColorTable[7] = 0x00000077;
    std::ofstream(tmp("t.dxf"))
        // A TABLE inside the layer table still ends the record before it.
        << "0\nTABLE\n2\nLAYER\n0\nLAYER\n2\nended_t\n62\n7\n0\nTABLE\n2\nLAYER\n2\nkept_t\n0\nENDTAB\n"
           // Another table: its LAYER records are not layers.
           "0\nTABLE\n2\nLTYPE\n0\nLAYER\n2\nnot_t\n62\n7\n0\nENDTAB\n"
           "0\nSECTION\n2\nENTITIES\n0\n3DFACE\n8\nended_t\n"
           // The pair after TABLE is used up, here a 3DFACE that is then lost;
           // the pending face is added first.
           "0\nTABLE\n0\n3DFACE\n8\nnot_t\n0\nENDSEC\n";
    read_faces_file(tmp("t.dxf").string());
    EXPECT_EQ(layer_color_map().at("ended_t"), "7");
    EXPECT_EQ(layer_color_map().count("kept_t"), 0u); // no colour: not recorded
    EXPECT_EQ(layer_color_map().count("not_t"), 0u);
    ASSERT_EQ(current_scene->triangles.size(), 2u);
    EXPECT_EQ(current_scene->triangles[0].color, 0x000077u);
}

TEST_F(SolidsTest, NewDxfNameChangesOnlyTheFileName)
{
    converter("exit 0");
    setenv("TMPDIR", (root_ / "tmp" / "a_tmp.d").c_str(), 1);
    fs::create_directories(root_ / "tmp" / "a_tmp.d");
    fs::create_directories(root_ / "tmp" / "a_new.d");
    std::ofstream(root_ / "tmp" / "a_new.d" / "1rp_3dsolid_new.dxf") << "someone else's";
    convert_solid(cl_entity_record{}, solid_chain(), "%s%drp_3dsolid_tmp");
    const std::string base = base_of(conversion_state().sat_path);
    EXPECT_TRUE(base.starts_with((root_ / "tmp" / "a_tmp.d").string() + "/")) << base;
    EXPECT_EQ(conversion_state().new_dxf_path, base.substr(0, base.size() - 4) + "_new.dxf");
    EXPECT_TRUE(fs::exists(root_ / "tmp" / "a_new.d" / "1rp_3dsolid_new.dxf"));
}

TEST_F(SolidsTest, QuoteInAPathIsReportedAsNotStarted)
{
    converter("exit 0");
    const fs::path quoted = root_ / "tmp" / "q\"d";
    fs::create_directories(quoted);
    setenv("TMPDIR", quoted.c_str(), 1);
    convert_solid(cl_entity_record{}, solid_chain(), "%s%drp_body_tmp");
    const std::string program = viewer_app().folder + "\\\\3dsolids_files\\\\Vorstep.exe";
    const std::string sat = conversion_state().sat_path, faces = conversion_state().faces_path;
    EXPECT_TRUE(sat.starts_with(quoted.string() + "/")) << sat;
    EXPECT_EQ(log(), "box\tSkelvane\t" + program + "\\n \"" + sat + "\" \"" + faces +
                         "\"\\nFile Conversion failure. Process could not be started.\\n\\nCould not convert solids "
                         "file:\\n\\n" + sat + "\\n\\n to: \\n\\n" + faces + "\tOK\tNONE\tAPPL\tOK\n");
}

TEST_F(SolidsTest, OverlongTemporaryFolderSkipsTheSolid)
{
    converter("exit 0");
    setenv("TMPDIR", (root_ / "tmp" / std::string(520, 'x')).c_str(), 1);
    convert_solid(cl_entity_record{}, solid_chain(), "%s%drp_3dsolid_tmp");
    EXPECT_EQ(log(), "");
    EXPECT_TRUE(current_scene->triangles.empty());
}

// Two viewers at once once used the same fixed names, and one drew the other's
// solid: a faces file left under such a name must never be read as ours.
TEST_F(SolidsTest, NamesAreOwnedByOneConversion)
{
    std::ofstream(tmp("1rp_3dsolid_tmp_faces.dxf")) << one_face;
    std::ofstream(tmp("1rp_3dsolid_tmp.sat")) << "another viewer's solid";
    converter("cat \"$1\" >> ../sats.txt");
    convert_solid(cl_entity_record{}, solid_chain(), "%s%drp_3dsolid_tmp");
    const std::string first = conversion_state().sat_path;
    chain_builder other;
    other.add(0, "3DSOLID").add(1, mirrored("other solid"));
    convert_solid(cl_entity_record{}, other.get(), "%s%drp_3dsolid_tmp");
    EXPECT_NE(conversion_state().sat_path, first);
    EXPECT_TRUE(current_scene->triangles.empty());
    EXPECT_EQ(skeltest::read_file(root_ / "sats.txt"),
              "400 0 1 0\r\nbody $-1 $1 #\r\nEnd-of-ACIS-data\r\nother solid\r\nEnd-of-ACIS-data\r\n");
    EXPECT_EQ(skeltest::read_file(tmp("1rp_3dsolid_tmp.sat")), "another viewer's solid");
    EXPECT_EQ(left_in_tmp().size(), 2u);
}

// A symbol that repeats one solid (one byte a repeat in the library) ran the
// converter once per repeat; the same modeller text is converted once per load.
TEST_F(SolidsTest, ARepeatedSolidIsConvertedOncePerLoad)
{
    std::ofstream(root_ / "faces.txt") << one_face;
    converter("echo run >> ../runs.txt\ncp \"" + (root_ / "faces.txt").string() + "\" \"$2\"");
    const resbuf *solid = solid_chain();
    for (int i = 0; i < 3; ++i)
        convert_solid(cl_entity_record{}, solid, "%s%drp_3dsolid_tmp");
    EXPECT_EQ(skeltest::read_file(root_ / "runs.txt"), "run\n");
    EXPECT_EQ(current_scene->triangles.size(), 6u);
    reset_conversion_state(); // the next load converts afresh
    convert_solid(cl_entity_record{}, solid, "%s%drp_3dsolid_tmp");
    EXPECT_EQ(skeltest::read_file(root_ / "runs.txt"), "run\nrun\n");
}

// The converter's own bounds held per solid, so many solids multiplied them:
// time, faces-file bytes and triangles are bounded for the symbol as a whole.
TEST_F(SolidsTest, TheSymbolsSolidsShareOneBound)
{
    // Output: a converter writing without end is stopped once its file passes the bound.
    converter("yes 0 > \"$2\"");
    set_solids_limits({1 << 20, 1000000, 60000});
    auto start = std::chrono::steady_clock::now();
    convert_solid(cl_entity_record{}, solid_chain(), "%s%drp_3dsolid_tmp");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    EXPECT_TRUE(current_scene->triangles.empty());
    EXPECT_TRUE(left_in_tmp().empty());
    EXPECT_NE(log().find("reach the limit of 1048576 bytes for solids conversion"), std::string::npos) << log();

    // Triangles: the faces of one solid fill the bound, the next adds nothing, one message in all.
    reset_conversion_state();
    fs::remove(root_ / "ui.log");
    std::ofstream(root_ / "faces.txt") << one_face;
    converter("cp \"" + (root_ / "faces.txt").string() + "\" \"$2\"");
    set_solids_limits({1 << 20, 2, 60000});
    convert_solid(cl_entity_record{}, solid_chain(), "%s%drp_3dsolid_tmp");
    chain_builder other;
    other.add(0, "3DSOLID").add(1, mirrored("other solid"));
    convert_solid(cl_entity_record{}, other.get(), "%s%drp_3dsolid_tmp");
    convert_solid(cl_entity_record{}, other.get(), "%s%drp_region_tmp");
    EXPECT_EQ(current_scene->triangles.size(), 2u);
    EXPECT_EQ(log(), "box\tSkelvane\tThe solids of this symbol reach the limit of 2 triangles for solids conversion; "
                     "the rest are not drawn.\tOK\tNONE\tAPPL\tOK\n");

    // Time: the wait is shared by all the symbol's solids.
    reset_conversion_state();
    fs::remove(root_ / "ui.log");
    converter("exec sleep 30");
    set_solids_limits({1 << 20, 1000000, 400});
    start = std::chrono::steady_clock::now();
    convert_solid(cl_entity_record{}, solid_chain(), "%s%drp_3dsolid_tmp");
    convert_solid(cl_entity_record{}, other.get(), "%s%drp_3dsolid_tmp");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_NE(log().find("reach the limit of 0 seconds"), std::string::npos) << log();
}
