// A host of the viewer: renders one symbol of a library into a PNG file
// through cl_export_functions.
//
//   render_png LIBRARY SYMBOL OUT.png [SIZE]
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <skelvane/tavrel_viewer.h>
#include <skelvane/skelvane_version.h>

namespace {

// The picture's pixels as RGB rows, top row first.
bool write_png(const CImage &image, const char *path)
{
    std::FILE *file = std::fopen(path, "wb");
    if (file == nullptr)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    const int width = image.GetWidth();
    const int height = image.GetHeight();
    std::vector<png_byte> row(static_cast<std::size_t>(width) * 3);
    bool done = false;
    if (info != nullptr && setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, file);
        png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                     PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                     PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const COLORREF c = image.GetPixel(x, y);
                row[static_cast<std::size_t>(x) * 3] = GetRValue(c);
                row[static_cast<std::size_t>(x) * 3 + 1] = GetGValue(c);
                row[static_cast<std::size_t>(x) * 3 + 2] = GetBValue(c);
            }
            png_write_row(png, row.data());
        }
        png_write_end(png, nullptr);
        done = true;
    }
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0 && done;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::printf("usage: %s LIBRARY SYMBOL OUT.png [SIZE]\n(skelvane %s)\n", argv[0], SKELVANE_VERSION_STRING);
        return 0;
    }
    if (argc < 4 || argc > 5) {
        std::fprintf(stderr, "usage: %s LIBRARY SYMBOL OUT.png [SIZE]\n", argv[0]);
        return 2;
    }
    const int size = argc == 5 ? std::atoi(argv[4]) : 256;
    if (size < 1 || size > 4096) {
        std::fprintf(stderr, "%s: SIZE must lie between 1 and 4096\n", argv[0]);
        return 2;
    }

    cl_export_functions viewer;
    viewer.SetBackgroundColor(RGB(255, 255, 255));
    viewer.SetCameraRotation(30);
    viewer.SetCameraTilt(20);

    CImage picture;
    if (!picture.Create(size, size, 24)) {
        std::fprintf(stderr, "%s: cannot create a picture of %d pixels\n", argv[0], size);
        return 1;
    }
    viewer.GetImage(argv[1], argv[2], 0.0, 0.0, &picture);
    if (viewer.GetLoadResult() != 1) {
        std::fprintf(stderr, "%s: %s holds no symbol %s that the reader could deliver\n", argv[0], argv[1], argv[2]);
        return 1;
    }
    if (!write_png(picture, argv[3])) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[3]);
        return 1;
    }
    std::printf("%s: %dx%d\n", argv[3], size, size);
    viewer.DeleteObjects();
    return 0;
}
