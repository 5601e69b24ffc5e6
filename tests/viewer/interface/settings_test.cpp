// The viewer object's settings, camera drag, block list and picture hand-over.
#include <string>

#include "file_text.h"
#include "scratch_folder.h"
#include "state/render_settings.h"
#include "state/viewer_settings.h"
#include "tavrel_viewer.h"

#include <gtest/gtest.h>

namespace {

// Each test starts from the process-wide defaults.
class viewer_object : public ::testing::Test {
protected:
    void SetUp() override
    {
        v.SetLibrary(nullptr);
        v.SetBlockName(nullptr);
        v.SetCameraRotation(0);
        v.SetCameraTilt(0);
        v.SetShowLines(0);
    }
    void TearDown() override { v.DeleteObjects(); }

    // A picture of one colour, as RemakeImage would have left it.
    void give_picture(int w, int h, COLORREF color)
    {
        v.picture = new CImage;
        v.picture->Create(w, h, 24);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                v.picture->SetPixel(x, y, color);
        v.picture_rect.SetRect(0, 0, w, h);
    }

    cl_export_functions v;
};

TEST_F(viewer_object, starts_without_a_picture)
{
    cl_export_functions fresh;
    EXPECT_EQ(fresh.picture, nullptr);
    EXPECT_TRUE(fresh.picture_rect.IsRectEmpty());
    EXPECT_EQ(fresh.background, 0xFFFFFFu);
    EXPECT_EQ(fresh.SendDragDistance(5, 5), -1);
    EXPECT_EQ(camera_rotation, 0);
}

TEST_F(viewer_object, camera_setters_drop_the_fraction)
{
    v.SetCameraRotation(-29.9);
    v.SetCameraTilt(45.99);
    EXPECT_EQ(camera_rotation, -29);
    EXPECT_EQ(camera_tilt, 45);
    v.SetCameraRotation(1e300);
    v.SetCameraTilt(-1e300);
    EXPECT_EQ(camera_rotation, 2147483647);
    EXPECT_EQ(camera_tilt, -2147483647 - 1);
}

TEST_F(viewer_object, two_objects_share_the_process_wide_settings)
{
    cl_export_functions other;
    EXPECT_EQ(v.SetLibrary("/lib/a.tvl"), 0);
    EXPECT_EQ(other.SetBlockName("DOOR"), 0);
    other.SetCameraRotation(30);
    v.SetCameraTilt(-20);
    other.SetShowLines(7);
    EXPECT_EQ(library_path, "/lib/a.tvl");
    EXPECT_EQ(block_name, "DOOR");
    EXPECT_EQ(camera_rotation, 30);
    EXPECT_EQ(camera_tilt, -20);
    EXPECT_EQ(show_lines, 7);
    // The background is the object's own.
    other.SetBackgroundColor(0x123456);
    EXPECT_EQ(v.background, 0xFFFFFFu);
    EXPECT_EQ(other.background, 0x123456u);
}

TEST_F(viewer_object, drag_turns_and_wraps_the_camera)
{
    v.picture_rect.SetRect(0, 0, 10, 10);

    v.SetCameraTilt(80);
    v.SetCameraRotation(0);
    EXPECT_EQ(v.SendDragDistance(10, -20), -10 + 360);
    EXPECT_EQ(camera_tilt, -260);
    EXPECT_EQ(camera_rotation, -10);

    v.SetCameraTilt(-100);
    v.SetCameraRotation(0);
    EXPECT_EQ(v.SendDragDistance(10, 0), 370);
    EXPECT_EQ(camera_rotation, 10);

    v.SetCameraTilt(0);
    v.SetCameraRotation(175);
    EXPECT_EQ(v.SendDragDistance(-10, 0), 185);
    EXPECT_EQ(camera_rotation, -175);

    v.SetCameraTilt(-270);
    v.SetCameraRotation(-180);
    EXPECT_EQ(v.SendDragDistance(0, 1), 180);
    EXPECT_EQ(camera_tilt, 89);
    EXPECT_EQ(v.SendDragDistance(0, -1), 180);
    EXPECT_EQ(camera_tilt, -270);

    v.SetCameraTilt(0);
    v.SetCameraRotation(0);
    // Huge drags wrap like small ones instead of overflowing.
    EXPECT_EQ(v.SendDragDistance(2000000000, 2000000000), 160 + 360);
    EXPECT_EQ(camera_tilt, -200);
}

TEST_F(viewer_object, drag_after_clear_image_changes_nothing)
{
    v.picture_rect.SetRect(0, 0, 10, 10);
    v.SetCameraRotation(12);
    v.SetCameraTilt(34);
    EXPECT_EQ(v.ClearImage(), 0);
    EXPECT_EQ(v.SendDragDistance(5, 5), -1);
    EXPECT_EQ(camera_rotation, 12);
    EXPECT_EQ(camera_tilt, 34);
}

TEST_F(viewer_object, say_hello)
{
    EXPECT_STREQ(v.SayHello("").GetString(), "Hello ");
    EXPECT_STREQ(v.SayHello("world").GetString(), "Hello world");
}

TEST_F(viewer_object, draw_into_the_centred_square)
{
    give_picture(400, 400, RGB(255, 0, 0));
    v.SetBackgroundColor(RGB(0, 0, 255));
    HWND window = skel_create_offscreen_window(300, 200);
    ASSERT_NE(window, nullptr);
    HDC hdc = GetDC(window);
    CDC dc;
    dc.Attach(hdc);
    EXPECT_EQ(v.DrawImageInWindow(&dc, CRect(0, 0, 300, 200)), 1);
    EXPECT_EQ(dc.GetPixel(49, 100), RGB(0, 0, 255));
    EXPECT_EQ(dc.GetPixel(50, 100), RGB(255, 0, 0));
    EXPECT_EQ(dc.GetPixel(249, 0), RGB(255, 0, 0));
    EXPECT_EQ(dc.GetPixel(249, 199), RGB(255, 0, 0));
    EXPECT_EQ(dc.GetPixel(250, 100), RGB(0, 0, 255));

    // Without a picture only the background is filled.
    v.SetBackgroundColor(RGB(0, 255, 0));
    v.ClearImage();
    EXPECT_EQ(v.DrawImageInWindow(&dc, CRect(0, 0, 300, 200)), 0);
    EXPECT_EQ(dc.GetPixel(150, 100), RGB(0, 255, 0));
    EXPECT_EQ(v.DrawImageInWindow(nullptr, CRect(0, 0, 300, 200)), 0);
    dc.Detach();
    ReleaseDC(window, hdc);
    DestroyWindow(window);
}

TEST_F(viewer_object, draw_into_a_tall_area_and_an_empty_one)
{
    give_picture(10, 10, RGB(255, 0, 0));
    HWND window = skel_create_offscreen_window(200, 301);
    HDC hdc = GetDC(window);
    CDC dc;
    dc.Attach(hdc);
    EXPECT_EQ(v.DrawImageInWindow(&dc, CRect(0, 0, 200, 301)), 1);
    EXPECT_EQ(dc.GetPixel(100, 49), RGB(255, 255, 255));
    EXPECT_EQ(dc.GetPixel(100, 50), RGB(255, 0, 0));
    EXPECT_EQ(dc.GetPixel(100, 249), RGB(255, 0, 0));
    EXPECT_EQ(dc.GetPixel(100, 250), RGB(255, 255, 255));
    EXPECT_EQ(v.DrawImageInWindow(&dc, CRect(10, 10, 10, 50)), 0);
    dc.Detach();
    ReleaseDC(window, hdc);
    DestroyWindow(window);
}

TEST_F(viewer_object, get_image_needs_library_and_block_and_stretches_the_picture)
{
    CImage target;
    target.Create(20, 10, 24);
    EXPECT_EQ(v.GetImage(&target), 2);
    v.SetLibrary("/lib/a.tvl");
    EXPECT_EQ(v.GetImage(&target), 3);
    v.SetBlockName("DOOR");
    EXPECT_EQ(v.GetImage(&target), 0); // no picture yet: nothing drawn
    EXPECT_EQ(target.GetPixel(5, 5), RGB(0, 0, 0));
    give_picture(4, 4, RGB(0, 128, 0));
    EXPECT_EQ(v.GetImage(&target), 0);
    EXPECT_EQ(target.GetPixel(0, 0), RGB(0, 128, 0));
    EXPECT_EQ(target.GetPixel(19, 9), RGB(0, 128, 0));
    EXPECT_EQ(v.GetImage(nullptr), 0);
}

TEST_F(viewer_object, delete_objects_frees_the_picture_but_keeps_the_loaded_names)
{
    give_picture(4, 4, 0);
    v.loaded_block = "DOOR";
    EXPECT_EQ(v.DeleteObjects(), 1);
    EXPECT_EQ(v.picture, nullptr);
    EXPECT_EQ(render_image, nullptr);
    EXPECT_STREQ(v.loaded_block.GetString(), "DOOR");
    v.ClearLastBlock();
    EXPECT_TRUE(v.loaded_block.IsEmpty());
    EXPECT_EQ(v.DeleteObjects(), 1);
}

TEST_F(viewer_object, block_list_without_library_or_of_a_missing_library)
{
    CStringArray list;
    list.Add("mine");
    EXPECT_EQ(v.GetBlockList(&list), 0);
    EXPECT_EQ(list.GetSize(), 1);
    v.SetLibrary("/nonexistent/folder/lib.tvl");
    const auto before = block_name_list.GetSize();
    EXPECT_EQ(v.GetBlockList(&list), 1 + before);
    EXPECT_STREQ(list[0].GetString(), "mine");
}

} // namespace

// The application object and its failure box.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "skelvane/ui.h"
#include "state/cl_viewer_app.h"

namespace {

TEST(viewer_app, folder_is_the_module_path_before_its_last_separator)
{
    EXPECT_TRUE(viewer_app().initialised);
    EXPECT_TRUE(std::filesystem::is_directory(viewer_app().folder)) << viewer_app().folder;

    cl_viewer_app app;
    EXPECT_TRUE(app.InitInstance("C:\\Program Files\\Tavrel\\Tavrel_Viewer.dll"));
    EXPECT_EQ(app.folder, "C:\\Program Files\\Tavrel");
    EXPECT_TRUE(app.InitInstance("/opt/tavrel/lib/libTavrel_Viewer.so"));
    EXPECT_EQ(app.folder, "/opt/tavrel/lib");
    EXPECT_TRUE(app.InitInstance("/x.so"));
    EXPECT_EQ(app.folder, "");
}

TEST(viewer_app, module_path_without_separator_fails_with_a_box)
{
    skeltest::scratch_folder folder;
    const std::string log = folder.file("ui.log");
    setenv("SKELVANE_UI", "none", 1);
    setenv("SKELVANE_UI_LOG", log.c_str(), 1);
    skel_ui_reset();

    cl_viewer_app app;
    EXPECT_FALSE(app.InitInstance("Tavrel_Viewer.dll"));
    EXPECT_FALSE(app.initialised);

    unsetenv("SKELVANE_UI_LOG");
    skel_ui_reset();
    EXPECT_EQ(skeltest::read_file(log), "box\tSkelvane\tCannot find application executable: Tavrel_Viewer.dll\\n"
                                        "\tOK\tNONE\tAPPL\tOK\n");
}

} // namespace
