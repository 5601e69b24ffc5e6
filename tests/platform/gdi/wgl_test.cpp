#include <gtest/gtest.h>

#include <GL/gl.h>

#include "skelvane/image.h"
#include "skelvane/wgl.h"

namespace {

PIXELFORMATDESCRIPTOR bitmap_format()
{
    PIXELFORMATDESCRIPTOR pfd{};
    pfd.nSize = 40;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_BITMAP | PFD_SUPPORT_GDI | PFD_SUPPORT_OPENGL;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 32;
    pfd.cDepthBits = 24;
    return pfd;
}

} // namespace

TEST(WglTest, DrawsIntoTheSelectedBitmapBottomUp)
{
    HDC dc = CreateCompatibleDC(nullptr);
    CImage image;
    ASSERT_TRUE(image.Create(8, 6, 32));
    HBITMAP bitmap = image.Detach();
    HGDIOBJ previous = SelectObject(dc, bitmap);

    PIXELFORMATDESCRIPTOR pfd = bitmap_format();
    int format = ChoosePixelFormat(dc, &pfd);
    ASSERT_EQ(format, 1);
    ASSERT_TRUE(SetPixelFormat(dc, format, &pfd));
    HGLRC rc = wglCreateContext(dc);
    ASSERT_NE(rc, nullptr);
    ASSERT_TRUE(wglMakeCurrent(dc, rc));

    glViewport(0, 0, 8, 6);
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    // Lower half red, in OpenGL's own bottom-up rows.
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, 8, 3);
    glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    ASSERT_TRUE(skel_wgl_read_back());
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    EXPECT_EQ(GetPixel(dc, 0, 5), RGB(255, 0, 0)); // bottom row, from the top-left
    EXPECT_EQ(GetPixel(dc, 7, 0), RGB(0, 0, 255));
    // The DIB's first row in memory is the bottom one.
    BITMAP bm{};
    GetObject(bitmap, sizeof bm, &bm);
    const auto *bottom = static_cast<const std::uint8_t *>(bm.bmBits);
    EXPECT_EQ(bottom[2], 255);
    EXPECT_EQ(bottom[0], 0);

    // A bitmap of another size selected later gets a framebuffer of its size.
    CImage larger;
    ASSERT_TRUE(larger.Create(20, 10, 32));
    HBITMAP second = larger.Detach();
    EXPECT_EQ(SelectObject(dc, second), bitmap);
    glViewport(0, 0, 20, 10);
    glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    ASSERT_TRUE(skel_wgl_read_back());
    EXPECT_EQ(GetPixel(dc, 19, 9), RGB(0, 255, 0));

    EXPECT_TRUE(wglMakeCurrent(nullptr, nullptr));
    EXPECT_FALSE(skel_wgl_read_back());
    EXPECT_TRUE(wglDeleteContext(rc));
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteObject(second);
    DeleteDC(dc);
}

TEST(WglTest, NeedsAnOpenGlPixelFormat)
{
    HDC dc = CreateCompatibleDC(nullptr);
    PIXELFORMATDESCRIPTOR pfd = bitmap_format();
    pfd.dwFlags = PFD_DRAW_TO_BITMAP;
    EXPECT_EQ(ChoosePixelFormat(dc, &pfd), 0);
    EXPECT_EQ(wglCreateContext(dc), nullptr); // no pixel format set
    DeleteDC(dc);
}
