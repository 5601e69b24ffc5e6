#include <gtest/gtest.h>

#include "skelvane/dc.h"
#include "skelvane/image.h"
#include "skelvane/window.h"

namespace {

BITMAPINFO header(int width, int height, int bpp)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = static_cast<WORD>(bpp);
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

} // namespace

TEST(DibSectionTest, RowsAreBottomUpAndPadded)
{
    CImage image;
    ASSERT_TRUE(image.Create(3, 2, 24));
    EXPECT_EQ(image.GetPitch(), -12); // 9 bytes padded to 12, bottom-up
    image.SetPixel(0, 0, RGB(10, 20, 30)); // top-left
    // The top row is the last in memory; its bytes are B, G, R.
    BITMAP bm{};
    ASSERT_EQ(GetObject(static_cast<HBITMAP>(image), sizeof bm, &bm), static_cast<int>(sizeof bm));
    const auto *bytes = static_cast<const std::uint8_t *>(bm.bmBits);
    EXPECT_EQ(bytes[12 + 0], 30);
    EXPECT_EQ(bytes[12 + 1], 20);
    EXPECT_EQ(bytes[12 + 2], 10);
    EXPECT_EQ(image.GetPixel(0, 0), RGB(10, 20, 30));
}

TEST(DibSectionTest, RefusesBadHeaders)
{
    void *bits = reinterpret_cast<void *>(1);
    BITMAPINFO info = header(0, 10, 32);
    EXPECT_EQ(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
    EXPECT_EQ(bits, nullptr);
    info = header(10, 10, 13);
    EXPECT_EQ(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
    info = header(1 << 20, 1 << 20, 32);
    EXPECT_EQ(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
    info = header(10, INT32_MIN, 32);
    EXPECT_EQ(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
}

TEST(DibSectionTest, SelectedBitmapCannotBeDeleted)
{
    HDC dc = CreateCompatibleDC(nullptr);
    ASSERT_NE(dc, nullptr);
    BITMAPINFO info = header(4, 4, 32);
    void *bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(bitmap, nullptr);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    ASSERT_NE(previous, nullptr);
    EXPECT_FALSE(DeleteObject(bitmap));
    HDC other = CreateCompatibleDC(nullptr);
    EXPECT_EQ(SelectObject(other, bitmap), nullptr); // held by the first DC
    EXPECT_FALSE(DeleteObject(previous));            // a DC's own bitmap
    EXPECT_EQ(SelectObject(dc, previous), bitmap);
    EXPECT_TRUE(DeleteObject(bitmap));
    DeleteDC(other);
    DeleteDC(dc);
}

TEST(BlitTest, FillCopyAndStretch)
{
    CImage source, target;
    ASSERT_TRUE(source.Create(2, 2, 32));
    ASSERT_TRUE(target.Create(4, 4, 24));
    source.SetPixel(0, 0, RGB(255, 0, 0));
    source.SetPixel(1, 0, RGB(0, 255, 0));
    source.SetPixel(0, 1, RGB(0, 0, 255));
    source.SetPixel(1, 1, RGB(9, 9, 9));

    CDC dc;
    ASSERT_TRUE(dc.Attach(target.GetDC()));
    dc.FillSolidRect(-5, -5, 100, 100, RGB(1, 2, 3)); // clipped, no overrun
    EXPECT_EQ(target.GetPixel(3, 3), RGB(1, 2, 3));

    EXPECT_TRUE(source.StretchBlt(dc, 0, 0, 4, 4));
    EXPECT_EQ(target.GetPixel(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(target.GetPixel(1, 1), RGB(255, 0, 0));
    EXPECT_EQ(target.GetPixel(3, 0), RGB(0, 255, 0));
    EXPECT_EQ(target.GetPixel(0, 3), RGB(0, 0, 255));
    EXPECT_EQ(target.GetPixel(2, 2), RGB(9, 9, 9));

    dc.FillSolidRect(0, 0, 4, 4, RGB(0, 0, 0));
    EXPECT_TRUE(source.BitBlt(dc, 3, 3)); // only one pixel lands inside
    EXPECT_EQ(target.GetPixel(3, 3), RGB(255, 0, 0));
    EXPECT_EQ(target.GetPixel(2, 2), RGB(0, 0, 0));

    // Mirrored destination width.
    EXPECT_TRUE(source.StretchBlt(dc, 2, 0, -2, 2, 0, 0, 2, 2));
    EXPECT_EQ(target.GetPixel(0, 0), RGB(0, 255, 0));
    EXPECT_EQ(target.GetPixel(1, 0), RGB(255, 0, 0));

    EXPECT_FALSE(source.BitBlt(dc, 0, 0, 0x00EE0086)); // only SRCCOPY
    target.ReleaseDC();
    dc.Detach();
}

TEST(ImageTest, AttachDetachKeepOwnership)
{
    CImage image;
    ASSERT_TRUE(image.Create(5, 3, 32));
    EXPECT_FALSE(image.Create(5, 3, 32)); // already holds one
    HDC dc = image.GetDC();
    ASSERT_NE(dc, nullptr);
    HBITMAP bitmap = image.Detach(); // lets go of the DC first
    EXPECT_TRUE(image.IsNull());
    CImage other;
    other.Attach(bitmap);
    EXPECT_EQ(other.GetWidth(), 5);
    EXPECT_EQ(other.GetHeight(), 3);
    EXPECT_EQ(other.GetBPP(), 32);
}

TEST(WindowTest, OffscreenWindowHandsOutItsSurface)
{
    HWND window = skel_create_offscreen_window(300, 200);
    ASSERT_NE(window, nullptr);
    RECT client{};
    ASSERT_TRUE(GetClientRect(window, &client));
    EXPECT_EQ(client.right, 300);
    EXPECT_EQ(client.bottom, 200);
    HDC dc = GetDC(window);
    ASSERT_NE(dc, nullptr);
    RECT square{50, 0, 250, 200};
    skel_fill_rect(dc, &square, RGB(0, 128, 0));
    EXPECT_EQ(ReleaseDC(window, dc), 1);
    EXPECT_EQ(ReleaseDC(window, dc), 0); // not handed out twice
    CImage *surface = skel_window_image(window);
    EXPECT_EQ(surface->GetPixel(49, 100), RGB(255, 255, 255));
    EXPECT_EQ(surface->GetPixel(50, 100), RGB(0, 128, 0));
    EXPECT_TRUE(DestroyWindow(window));
}
