#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cmath>
#include <cstdint>
#include <memory>

#include "render/cl_opengl_image.h"
#include "state/render_settings.h"

namespace {

struct rgb {
    int r, g, b;
};

// The finished DIB, read with (0, 0) at the top-left of the picture.
class picture {
public:
    explicit picture(HBITMAP bitmap) : bitmap_(bitmap)
    {
        if (bitmap_)
            GetObject(bitmap_, sizeof bm_, &bm_);
    }
    ~picture()
    {
        if (bitmap_)
            DeleteObject(bitmap_);
    }
    bool valid() const { return bitmap_ != nullptr; }
    int width() const { return bm_.bmWidth; }
    int height() const { return bm_.bmHeight; }
    // Rows are bottom-up: the first row in memory is the bottom of the picture.
    rgb at(int x, int y) const { return from_memory_row(x, bm_.bmHeight - 1 - y); }
    rgb from_memory_row(int x, int memory_row) const
    {
        const auto *p = static_cast<const std::uint8_t *>(bm_.bmBits) +
                        static_cast<std::ptrdiff_t>(memory_row) * bm_.bmWidthBytes + x * 4;
        return rgb{p[2], p[1], p[0]};
    }

private:
    HBITMAP bitmap_;
    BITMAP bm_{};
};

bool is_white(rgb c) { return c.r == 255 && c.g == 255 && c.b == 255; }
bool is_red(rgb c) { return c.r > 180 && c.g < 80 && c.b < 80 && c.g == c.b; }

class RenderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        camera_rotation = 0;
        camera_tilt = 0;
        show_lines = 0;
        scene = std::make_unique<cl_opengl_image>();
        scene->SetLighting(0.7, 0.5);
    }
    void TearDown() override
    {
        scene.reset();
        camera_tilt = 0;
        show_lines = 0;
    }

    // As image production does for a new block: size, camera, background, context.
    void start(int w, int h, fpt dir)
    {
        scene->SetImageSize(w, h);
        scene->SetViewDirection(dir.x, dir.y, dir.z);
        ASSERT_TRUE(scene->Reset(false));
        ASSERT_TRUE(scene->initialised);
    }

    // A red triangle standing in the x-z plane, apex up, away from the origin.
    void add_standing_triangle()
    {
        scene->AddTriangle(9, 3, 4, 11, 3, 4, 10, 3, 6, RGB(255, 0, 0), 0);
    }

    std::unique_ptr<cl_opengl_image> scene;
};

} // namespace

TEST_F(RenderTest, FrontViewShowsTheTriangleUprightAndCentred)
{
    start(100, 100, {0, 1, 0});
    add_standing_triangle();
    picture pic(scene->Render());
    ASSERT_TRUE(pic.valid());
    EXPECT_EQ(scene->bitmap, nullptr); // handed out
    EXPECT_EQ(pic.width(), 100);
    EXPECT_EQ(pic.height(), 100);

    EXPECT_TRUE(is_red(pic.at(50, 50)));
    EXPECT_TRUE(is_red(pic.at(50, 10)));  // near the apex
    EXPECT_TRUE(is_white(pic.at(15, 10))); // beside the apex
    EXPECT_TRUE(is_red(pic.at(10, 90)));  // wide base
    EXPECT_TRUE(is_white(pic.at(2, 2)));  // the 10 % margin
    EXPECT_TRUE(is_white(pic.at(50, 98)));
    // The first row in memory is the bottom row of the picture.
    EXPECT_TRUE(is_red(pic.from_memory_row(10, 9)));
    EXPECT_TRUE(is_white(pic.from_memory_row(15, 89)));

    // Lit from the front: ambient 0.5 + diffuse 0.7 x cos(54.7 deg) on the lightened red.
    rgb c = pic.at(50, 50);
    EXPECT_NEAR(c.r, 230, 3);
    EXPECT_NEAR(c.g, 46, 3);

    // The fit moved the model's centre to the origin.
    EXPECT_DOUBLE_EQ(scene->triangles[0].corner_a.x, -1.0);
    EXPECT_DOUBLE_EQ(scene->triangles[0].corner_a.y, 0.0);
    EXPECT_DOUBLE_EQ(scene->triangles[0].corner_c.z, 1.0);
}

TEST_F(RenderTest, BackgroundComesFromTheColourSetBeforeTheContext)
{
    scene->SetBackground(0.0, 0.5, 1.0);
    start(40, 40, {0, 1, 0});
    add_standing_triangle();
    scene->SetBackground(1.0, 0.0, 0.0); // stored, not sent to OpenGL
    picture pic(scene->Render());
    ASSERT_TRUE(pic.valid());
    rgb c = pic.at(0, 0);
    EXPECT_EQ(c.r, 0);
    EXPECT_NEAR(c.g, 128, 1);
    EXPECT_EQ(c.b, 255);
}

TEST_F(RenderTest, PlanViewLooksDownWithYUp)
{
    camera_tilt = -90;
    start(100, 100, {0, 0, -1});
    EXPECT_EQ(scene->right.x, 1.0);
    EXPECT_EQ(scene->up.y, 1.0);
    // Apex towards +y, lying flat.
    scene->AddTriangle(-1, -1, 0, 1, -1, 0, 0, 1, 0, RGB(255, 0, 0), 0);
    picture pic(scene->Render());
    ASSERT_TRUE(pic.valid());
    EXPECT_TRUE(is_red(pic.at(50, 12)));
    EXPECT_TRUE(is_white(pic.at(15, 12)));
    EXPECT_TRUE(is_red(pic.at(12, 88)));
}

TEST_F(RenderTest, PlanViewTurnsWithTheRotation)
{
    camera_tilt = -90;
    camera_rotation = 90;
    start(100, 100, {0, 0, -1});
    EXPECT_EQ(scene->right.x, 1.0); // not turned
    EXPECT_EQ(scene->up.x, -1.0);
    EXPECT_EQ(scene->up.y, 0.0);
    scene->AddTriangle(-1, -1, 0, 1, -1, 0, 0, 1, 0, RGB(255, 0, 0), 0);
    picture pic(scene->Render());
    ASSERT_TRUE(pic.valid());
    // -x is up on the picture, so the apex (+y) points to the left or right edge.
    EXPECT_FALSE(is_red(pic.at(50, 10)));
    EXPECT_TRUE(is_red(pic.at(50, 50)));
    camera_rotation = 0;
}

TEST_F(RenderTest, TiltBelowMinusNinetyTurnsTheCameraUpsideDown)
{
    auto dir = fpt{0, std::cos(-100 * 0.017453292519943295), std::sin(-100 * 0.017453292519943295)};
    scene->SetViewDirection(dir.x, dir.y, dir.z);
    double upright = scene->up.y;
    camera_tilt = -100;
    scene->SetViewDirection(dir.x, dir.y, dir.z);
    EXPECT_LT(upright, 0.0);
    EXPECT_DOUBLE_EQ(scene->up.y, -upright);
}

TEST_F(RenderTest, FitFramesTheWiderExtentWithAMargin)
{
    start(100, 100, {0, 1, 0});
    EXPECT_EQ(scene->up.z, 1.0);
    // 10 wide, 4 high in camera terms, off centre.
    scene->AddTriangle(5, 0, -2, 15, 0, -2, 15, 0, 2, RGB(0, 0, 255), 0);
    scene->FitCamera();
    EXPECT_DOUBLE_EQ(scene->eye.y, -77.0); // S = 11
    EXPECT_DOUBLE_EQ(scene->triangles[0].corner_a.x, -5.0);
    GLdouble projection[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    // cot(fov / 2) = 7 S / half_w = 77 / 5.5
    EXPECT_NEAR(projection[5], 14.0, 1e-4);
    EXPECT_NEAR(projection[0], 14.0, 1e-4); // aspect 1

    // A picture twice as wide as high widens the field: half_w = 2 x half_h.
    cl_opengl_image &s = *scene;
    s.SetImageSize(200, 100);
    s.triangles.clear();
    s.AddTriangle(-1, 0, -1, 1, 0, -1, 1, 0, 1, RGB(0, 0, 255), 0);
    s.FitCamera();
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    EXPECT_NEAR(projection[5], 21.0 / 2.2, 1e-4); // S = 3
}

TEST_F(RenderTest, LinesAloneAreFramedByTheirEnds)
{
    // Without faces the fit takes the line ends, not a field of view of nothing.
    start(50, 50, {0, 1, 0});
    scene->AddLine(10, 10, 10, 20, 20, 20, RGB(0, 0, 255));
    scene->FitCamera();
    EXPECT_DOUBLE_EQ(scene->lines[0].start.x, -5.0);
    EXPECT_DOUBLE_EQ(scene->lines[0].end.z, 5.0);
    EXPECT_DOUBLE_EQ(scene->eye.y, -7.0 * 11.0); // S = 10 + 1
}

TEST_F(RenderTest, FacesAloneFrameTheFitUnlessLinesCount)
{
    start(50, 50, {0, 1, 0});
    scene->AddTriangle(0, 0, 0, 2, 0, 0, 2, 0, 2, RGB(0, 200, 0), 0);
    scene->AddLine(0, 0, 1, 40, 0, 1, RGB(0, 0, 255));
    scene->FitCamera();
    EXPECT_DOUBLE_EQ(scene->triangles[0].corner_a.x, -1.0); // centred on the face
    fit_lines = 1;
    scene->FitCamera();
    fit_lines = 0;
    EXPECT_DOUBLE_EQ(scene->lines[0].start.x, -20.0); // now on the line as well
    EXPECT_DOUBLE_EQ(scene->eye.y, -7.0 * 41.0);
}

TEST_F(RenderTest, LineRecordsNeedTheShowLinesSwitch)
{
    start(100, 100, {0, 1, 0});
    scene->AddTriangle(-1, 0, -1, 1, 0, -1, 1, 0, 1, RGB(0, 200, 0), 0);
    scene->AddTriangle(1, 0, 1, -1, 0, 1, -1, 0, -1, RGB(0, 200, 0), 0);
    scene->AddLine(0, -0.5, -1, 0, -0.5, 1, RGB(0, 0, 255)); // vertical, in front
    auto blue_column = [](const picture &pic) {
        for (int x = 48; x <= 52; ++x) {
            rgb c = pic.at(x, 30);
            if (c.b > 100 && c.g < 60)
                return true;
        }
        return false;
    };
    picture hidden(scene->Render());
    ASSERT_TRUE(hidden.valid());
    EXPECT_FALSE(blue_column(hidden));
    show_lines = 1;
    picture shown(scene->Render());
    ASSERT_TRUE(shown.valid());
    EXPECT_TRUE(blue_column(shown));
    // Lines get the ambient light only: half of their blue.
    int blue = 0;
    for (int x = 48; x <= 52; ++x)
        blue = std::max(blue, shown.at(x, 30).b);
    EXPECT_NEAR(blue, 128, 2);
}

TEST_F(RenderTest, EdgeMaskOutlinesTriangles)
{
    start(100, 100, {0, 1, 0});
    scene->line_start_color = 0;
    scene->AddTriangle(-1, 0, -1, 1, 0, -1, 1, 0, 1, RGB(255, 255, 0), 0b100); // c-a diagonal
    scene->AddTriangle(1, 0, 1, -1, 0, 1, -1, 0, -1, RGB(255, 255, 0), 0);
    picture pic(scene->Render());
    ASSERT_TRUE(pic.valid());
    int dark = 0;
    for (int x = 45; x <= 55; ++x) {
        rgb c = pic.at(x, 50);
        dark += c.r + c.g + c.b < 300;
    }
    EXPECT_GT(dark, 0);
}

TEST_F(RenderTest, BarePointsBecomeMarkersAndAreFitted)
{
    start(100, 100, {0, 1, 0});
    scene->AddPoint(5, 5, 5);
    picture pic(scene->Render());
    ASSERT_TRUE(pic.valid());
    EXPECT_TRUE(scene->markers_added);
    EXPECT_EQ(scene->triangles.size(), 12u);
    EXPECT_EQ(scene->lines.size(), 3u);
    ASSERT_EQ(scene->points.size(), 1u);
    EXPECT_DOUBLE_EQ(scene->points[0].x, 5.0); // points are not moved
    EXPECT_DOUBLE_EQ(scene->lines[2].start.z, 1.0); // the markers were centred

    // A plus sign from the front: a dark vertical stroke and a horizontal one.
    auto darkest = [&](int x0, int y0, int x1, int y1) {
        int best = 765;
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                rgb c = pic.at(x, y);
                best = std::min(best, c.r + c.g + c.b);
            }
        return best;
    };
    EXPECT_LT(darkest(47, 15, 53, 15), 100);
    EXPECT_LT(darkest(15, 47, 15, 53), 100);
    EXPECT_TRUE(is_white(pic.at(15, 15)));

    // A second render does not add markers again.
    picture again(scene->Render());
    EXPECT_EQ(scene->triangles.size(), 12u);
}

TEST_F(RenderTest, ResetEmptiesOrKeepsAndRenewsTheBitmap)
{
    start(30, 20, {0, 1, 0});
    EXPECT_NE(scene->bitmap, nullptr);
    EXPECT_EQ(scene->bitmap_header.biWidth, 30);
    EXPECT_EQ(scene->bitmap_header.biHeight, 20);
    EXPECT_EQ(scene->bitmap_header.biBitCount, 32);
    scene->AddPoint(1, 2, 3);
    scene->AddTriangle(0, 0, 0, 1, 0, 0, 0, 0, 1, RGB(1, 1, 1), 0);
    scene->markers_added = true;

    scene->SetImageSize(64, 48);
    ASSERT_TRUE(scene->Reset(true));
    EXPECT_EQ(scene->triangles.size(), 1u);
    EXPECT_TRUE(scene->markers_added);
    EXPECT_EQ(scene->bitmap_header.biWidth, 64);

    ASSERT_TRUE(scene->Reset(false));
    EXPECT_TRUE(scene->triangles.empty());
    EXPECT_TRUE(scene->points.empty());
    EXPECT_FALSE(scene->markers_added);

    // An empty scene renders the background alone, at the new size.
    picture pic(scene->Render());
    ASSERT_TRUE(pic.valid());
    EXPECT_EQ(pic.width(), 64);
    EXPECT_TRUE(is_white(pic.at(32, 24)));

    // The next render makes a new bitmap; a size of zero cannot give one.
    scene->SetImageSize(0, 0);
    EXPECT_EQ(scene->Render(), nullptr);
}

TEST(RenderSettingsTest, LightingIsClampedAndContextlessRenderGivesNothing)
{
    cl_opengl_image scene;
    scene.SetLighting(1.5, -0.2);
    EXPECT_EQ(scene.diffuse, 1.0);
    EXPECT_EQ(scene.ambient, 0.0);
    EXPECT_EQ(scene.Render(), nullptr);
    EXPECT_EQ(scene.bits_per_pixel, 32);
    EXPECT_EQ(scene.view_dir.z, -1.0);
    EXPECT_EQ(scene.background_r, 1.0);
}

TEST(RenderSettingsTest, CreateContextTakesDefaultSizes)
{
    cl_opengl_image scene;
    ASSERT_TRUE(scene.CreateContext());
    EXPECT_EQ(scene.width, 100);
    EXPECT_EQ(scene.height, 100);
    EXPECT_NE(scene.gl_context, nullptr);
    scene.ReleaseContext();
    EXPECT_FALSE(scene.initialised);
    EXPECT_EQ(scene.memory_dc, nullptr);
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
}

TEST(RenderSettingsTest, TwoScenesEachDrawIntoTheirOwnBitmap)
{
    cl_opengl_image first, second;
    first.SetImageSize(20, 20);
    first.SetBackground(1, 0, 0);
    ASSERT_TRUE(first.Reset(false));
    second.SetImageSize(30, 30);
    second.SetBackground(0, 0, 1);
    ASSERT_TRUE(second.Reset(false)); // its context is now the current one
    picture a(first.Render());
    ASSERT_TRUE(a.valid());
    EXPECT_EQ(a.width(), 20);
    EXPECT_EQ(a.at(5, 5).r, 255);
    EXPECT_EQ(a.at(5, 5).b, 0);
    picture b(second.Render());
    ASSERT_TRUE(b.valid());
    EXPECT_EQ(b.at(5, 5).b, 255);
}
