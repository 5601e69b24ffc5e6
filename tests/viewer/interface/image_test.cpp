// Pictures of symbols from written libraries: loading, re-rendering, pixels.
#include <filesystem>
#include <string>
#include <unistd.h>

#include "interface/block_loader.h"
#include "render/scene_functions.h"
#include "scratch_folder.h"
#include "state/viewer_settings.h"
#include "tavrel_viewer.h"
#include "writer/entity_encoder.h"
#include "writer/library.h"

#include <gtest/gtest.h>

namespace {

constexpr COLORREF blue = RGB(0, 0, 255);

// A square face standing in the x-z plane, seen face-on from the default camera.
std::vector<tvlw::Entity> panel()
{
    return {{"3DFACE",
             {{8, "0"},
              {10, tvlw::Point{-1, 0, -1}},
              {11, tvlw::Point{1, 0, -1}},
              {12, tvlw::Point{1, 0, 1}},
              {13, tvlw::Point{-1, 0, 1}}}}};
}

class pictures : public ::testing::Test {
protected:
    void SetUp() override
    {
        library_ = (folder_ / "panel.tvl").string();
        tvlw::LibraryWriter writer;
        writer.add_block("PANEL", tvlw::encode_block(writer.settings(), 0, {}, "", panel()));
        ASSERT_TRUE(writer.save(library_));

        v.DeleteObjects();
        v.ClearLastBlock();
        v.SetCameraRotation(0);
        v.SetCameraTilt(0);
        v.SetShowLines(0);
        v.SetBackgroundColor(blue);
        v.SetLibrary(library_.c_str());
        v.SetBlockName("PANEL");
    }
    void TearDown() override
    {
        v.DeleteObjects();
    }

    static COLORREF pixel(HWND window, int x, int y) { return skel_window_image(window)->GetPixel(x, y); }

    skeltest::scratch_folder scratch_;
    const std::filesystem::path folder_ = scratch_.path();
    std::string library_;
    cl_export_functions v;
};

TEST_F(pictures, remake_image_renders_twice_the_square_and_paints_it_centred)
{
    HWND window = skel_create_offscreen_window(300, 200);
    ASSERT_EQ(v.RemakeImage(window), 1);
    ASSERT_NE(v.picture, nullptr);
    EXPECT_EQ(v.picture->GetWidth(), 400);
    EXPECT_EQ(v.picture->GetHeight(), 400);
    EXPECT_EQ(v.picture->GetBPP(), 24);
    EXPECT_EQ(v.picture_rect, CRect(0, 0, 400, 400));
    EXPECT_EQ(pixel(window, 10, 100), blue);
    EXPECT_EQ(pixel(window, 290, 100), blue);
    EXPECT_NE(pixel(window, 150, 100), blue); // the panel fills the middle
    EXPECT_EQ(v.picture->GetPixel(200, 200), pixel(window, 150, 100));
    // The render image is an empty wrapper between calls.
    ASSERT_NE(render_image, nullptr);
    EXPECT_TRUE(render_image->IsNull());
    DestroyWindow(window);
}

TEST_F(pictures, loaded_symbol_renders_at_any_size_without_the_reader)
{
    ASSERT_EQ(v.LoadSymbol(), 1);
    EXPECT_EQ(v.GetLoadResult(), 1);
    double low[3], high[3];
    ASSERT_EQ(v.GetSceneExtent(low, high), 1);
    EXPECT_DOUBLE_EQ(low[0], -1.0);
    EXPECT_DOUBLE_EQ(high[2], 1.0);
    EXPECT_DOUBLE_EQ(high[1] - low[1], 0.0);
    cl_opengl_image *scene = current_scene;
    std::filesystem::remove(library_); // a reload would now find nothing

    CImage small, large;
    small.Create(40, 40, 24);
    large.Create(120, 120, 24);
    ASSERT_EQ(v.RenderImage(&small), 0);
    ASSERT_EQ(v.RenderImage(&large), 0);
    EXPECT_NE(small.GetPixel(20, 20), blue);
    EXPECT_NE(large.GetPixel(60, 60), blue);
    EXPECT_EQ(large.GetPixel(2, 60), blue);
    // A window picture after the load is made at the window's size.
    HWND window = skel_create_offscreen_window(300, 200);
    ASSERT_EQ(v.RemakeImage(window), 1);
    EXPECT_EQ(current_scene, scene);
    EXPECT_EQ(v.picture_rect, CRect(0, 0, 400, 400));
    EXPECT_NE(pixel(window, 150, 100), blue);
    DestroyWindow(window);
}

TEST_F(pictures, a_symbol_that_cannot_load_says_so)
{
    v.SetBlockName("ABSENT");
    EXPECT_EQ(v.LoadSymbol(), -2);
    EXPECT_EQ(v.GetLoadResult(), -2);
    double low[3], high[3];
    EXPECT_EQ(v.GetSceneExtent(low, high), 0);
    v.SetBlockName("");
    EXPECT_EQ(v.LoadSymbol(), 3);
}

TEST_F(pictures, camera_change_rerenders_the_stored_scene_without_the_reader)
{
    HWND window = skel_create_offscreen_window(100, 100);
    ASSERT_EQ(v.RemakeImage(window), 1);
    cl_opengl_image *scene = current_scene;
    const auto triangles = scene->triangles.size();
    std::filesystem::remove(library_); // a reload would now find nothing

    v.SetCameraRotation(20);
    v.SetCameraTilt(10);
    ASSERT_EQ(v.RemakeImage(window), 1);
    EXPECT_EQ(current_scene, scene);
    EXPECT_EQ(scene->triangles.size(), triangles);
    EXPECT_NE(pixel(window, 50, 50), blue);

    // Forgetting the loaded block makes the next picture load it again.
    v.ClearLastBlock();
    ASSERT_EQ(v.RemakeImage(window), 1);
    EXPECT_TRUE(current_scene->triangles.empty());
    EXPECT_EQ(pixel(window, 50, 50), blue);
    DestroyWindow(window);
}

TEST_F(pictures, picture_after_delete_objects_loads_again)
{
    HWND window = skel_create_offscreen_window(60, 60);
    ASSERT_EQ(v.RemakeImage(window), 1);
    v.DeleteObjects();
    EXPECT_EQ(current_scene, nullptr);
    ASSERT_EQ(v.RemakeImage(window), 1);
    ASSERT_NE(current_scene, nullptr);
    EXPECT_EQ(current_scene->triangles.size(), 2u);
    EXPECT_NE(pixel(window, 30, 30), blue);
    DestroyWindow(window);
}

TEST_F(pictures, missing_library_shows_the_background)
{
    v.SetLibrary((folder_ / "absent.tvl").string().c_str());
    HWND window = skel_create_offscreen_window(80, 40);
    ASSERT_EQ(v.RemakeImage(window), 1);
    ASSERT_NE(v.picture, nullptr);
    for (int x : {0, 20, 40, 60, 79})
        EXPECT_EQ(pixel(window, x, 20), blue);
    EXPECT_EQ(v.picture->GetPixel(40, 40), blue);
    EXPECT_EQ(v.RemakeImage(nullptr), 1);
    DestroyWindow(window);
}

TEST_F(pictures, get_image_renders_at_the_target_size_and_always_reloads)
{
    CImage first;
    first.Create(64, 32, 32);
    ASSERT_EQ(v.GetImage(library_.c_str(), "PANEL", 1.0, 2.0, &first), 0);
    EXPECT_EQ(v.picture_rect, CRect(0, 0, 64, 32));
    EXPECT_NE(first.GetPixel(32, 16), blue);
    EXPECT_EQ(first.GetPixel(0, 16), blue);

    // The reals are not used: another pair gives the same picture.
    CImage second;
    second.Create(64, 32, 32);
    cl_opengl_image *scene = current_scene;
    ASSERT_EQ(v.GetImage(library_.c_str(), "PANEL", 90.0, -45.0, &second), 0);
    EXPECT_EQ(current_scene, scene);
    EXPECT_EQ(scene->triangles.size(), 2u); // reloaded, not added twice
    for (int y = 0; y < 32; y += 4)
        for (int x = 0; x < 64; x += 4)
            ASSERT_EQ(first.GetPixel(x, y), second.GetPixel(x, y)) << x << "," << y;

    // Same block again: the reader is asked again (and now finds nothing).
    std::filesystem::remove(library_);
    ASSERT_EQ(v.GetImage(library_.c_str(), "PANEL", 0, 0, &second), 0);
    EXPECT_EQ(current_scene, scene);
    EXPECT_EQ(second.GetPixel(32, 16), blue);
}

TEST_F(pictures, get_image_stores_an_empty_block_name)
{
    CImage target;
    target.Create(8, 8, 24);
    EXPECT_EQ(v.GetImage(library_.c_str(), "", 0, 0, &target), 3);
    EXPECT_EQ(block_name, "");
    HWND window = skel_create_offscreen_window(10, 10);
    EXPECT_EQ(v.RemakeImage(window), 3);
    EXPECT_EQ(v.GetImage("", "PANEL", 0, 0, &target), 2);
    EXPECT_EQ(v.RemakeImage(window), 2);
    DestroyWindow(window);
}

} // namespace

namespace {

TEST_F(pictures, block_loader_results)
{
    HWND window = skel_create_offscreen_window(20, 20);
    ASSERT_EQ(v.RemakeImage(window), 1);
    DestroyWindow(window);
    current_scene->triangles.clear();
    EXPECT_EQ(load_block_definition(library_.c_str(), ""), -1);
    EXPECT_EQ(load_block_definition("", "PANEL"), -1);
    EXPECT_EQ(load_block_definition(library_.c_str(), "NOT_THERE"), -2);
    EXPECT_EQ(load_block_definition((folder_ / "absent.tvl").string(), "PANEL"), -2);
    EXPECT_TRUE(current_scene->triangles.empty());
    EXPECT_EQ(load_block_definition(library_.c_str(), "PANEL"), 1);
    EXPECT_EQ(current_scene->triangles.size(), 2u);
}

TEST_F(pictures, block_list_appends_every_name_read_so_far)
{
    tvlw::LibraryWriter writer;
    for (const char *name : {"ZETA", "ALPHA", "MID"})
        writer.add_block(name, tvlw::encode_block(writer.settings(), 0, {}, "", panel()));
    const std::string second = (folder_ / "three.tvl").string();
    ASSERT_TRUE(writer.save(second));

    block_name_list.RemoveAll();
    CStringArray list;
    list.Add("host");
    EXPECT_EQ(v.GetBlockList(&list), 2);
    EXPECT_STREQ(list[1].GetString(), "PANEL");

    v.SetLibrary(second.c_str());
    EXPECT_EQ(v.GetBlockList(&list), 2 + 4);
    // The earlier library's names come again, then the new ones in library order.
    std::vector<std::string> names;
    for (const CString &n : list)
        names.push_back(n.str());
    EXPECT_EQ(names[2], "PANEL");
    EXPECT_EQ(block_name_list.GetSize(), 4);
    EXPECT_EQ(v.GetBlockList(nullptr), 0);
    block_name_list.RemoveAll();
}

} // namespace
