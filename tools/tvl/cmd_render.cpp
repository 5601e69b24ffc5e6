// tvl render LIBRARY SYMBOL -o OUT.png [options], or LIBRARY --all -o FOLDER:
// pictures of symbols through the viewer object, as any host makes them.
#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "commands.h"
#include "skelvane/paths.h"
#include "tavrel_viewer.h"

namespace {

struct render_options {
    std::string library;
    std::string symbol;
    std::string output;
    int size = 512;
    std::string window;
    double rotation = 0.0;
    double tilt = 0.0;
    std::string colors;
    std::string background = "FFFFFF";
    bool no_lines = false;
    bool all = false;
};

[[noreturn]] void fail(const std::string &message)
{
    std::fprintf(stderr, "tvl render: %s\n", message.c_str());
    throw command_exit{1};
}

// Writes the image as an 8-bit RGB PNG; false on any failure.
bool write_png(const CImage &image, const std::string &path)
{
    std::FILE *file = std::fopen(path.c_str(), "wb");
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

bool parse_window(const std::string &text, int &width, int &height)
{
    char tail = 0;
    return std::sscanf(text.c_str(), "%dx%d%c", &width, &height, &tail) == 2 && width > 0 &&
           height > 0 && width <= 16384 && height <= 16384;
}

bool parse_color(const std::string &text, COLORREF &color)
{
    std::string hex = text;
    if (!hex.empty() && hex[0] == '#')
        hex.erase(0, 1);
    if (hex.size() != 6 || hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        return false;
    const unsigned long v = std::stoul(hex, nullptr, 16);
    color = RGB(static_cast<int>((v >> 16) & 0xFF), static_cast<int>((v >> 8) & 0xFF),
                static_cast<int>(v & 0xFF));
    return true;
}

// One picture: GetImage at --size, or RemakeImage into a window of --window.
void render_one(cl_export_functions &viewer, const render_options &o, const std::string &symbol,
                const std::string &path)
{
    if (o.window.empty()) {
        CImage target;
        if (!target.Create(o.size, o.size, 24))
            fail("cannot create a picture of " + std::to_string(o.size) + " pixels");
        viewer.GetImage(o.library.c_str(), symbol.c_str(), 0.0, 0.0, &target);
        if (!write_png(target, path))
            fail("cannot write " + path);
        return;
    }
    int width = 0;
    int height = 0;
    parse_window(o.window, width, height);
    HWND window = skel_create_offscreen_window(width, height);
    if (window == nullptr)
        fail("cannot create a window of " + o.window);
    viewer.SetLibrary(o.library.c_str());
    viewer.SetBlockName(symbol.c_str());
    viewer.RemakeImage(window);
    const bool written = write_png(*skel_window_image(window), path);
    DestroyWindow(window);
    if (!written)
        fail("cannot write " + path);
}

// A symbol name as a file name: separators and control characters become '_'.
std::string file_name_for(const std::string &symbol)
{
    std::string name = symbol.empty() ? std::string("_") : symbol;
    for (char &c : name)
        if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 32)
            c = '_';
    return name + ".png";
}

void run(const render_options &o)
{
    if (!skel_file_exists(o.library.c_str()))
        fail("no library " + o.library);
    if (o.all != o.symbol.empty())
        fail(o.all ? "give either SYMBOL or --all" : "give a SYMBOL or --all");
    if (o.size < 1 || o.size > 16384)
        fail("--size must lie between 1 and 16384");
    int width = 0;
    int height = 0;
    if (!o.window.empty() && !parse_window(o.window, width, height))
        fail("--window wants WIDTHxHEIGHT, such as 640x480");
    COLORREF background = 0;
    if (!parse_color(o.background, background))
        fail("--background wants six hex digits RRGGBB");
    if (!o.colors.empty() && !skel_file_exists(o.colors.c_str()))
        fail("no layer colour file " + o.colors);

    cl_export_functions viewer;
    viewer.SetLibrary(o.library.c_str());
    if (!o.colors.empty())
        viewer.SetLayerColorFile(o.colors.c_str());
    viewer.SetBackgroundColor(background);
    viewer.SetShowLines(o.no_lines ? 0 : 1);
    viewer.SetCameraRotation(o.rotation);
    viewer.SetCameraTilt(o.tilt);

    if (!o.all) {
        render_one(viewer, o, o.symbol, o.output);
        viewer.DeleteObjects();
        return;
    }
    std::error_code error;
    std::filesystem::create_directories(o.output, error);
    if (!std::filesystem::is_directory(o.output))
        fail("cannot create folder " + o.output);
    CStringArray names;
    viewer.GetBlockList(&names);
    const auto count = names.GetSize();
    for (std::ptrdiff_t i = 0; i < count; ++i) {
        const std::string symbol = names[i].str();
        const std::string path = (std::filesystem::path(o.output) / file_name_for(symbol)).string();
        std::printf("[%td/%td] %s -> %s\n", i + 1, count, symbol.c_str(), path.c_str());
        std::fflush(stdout);
        render_one(viewer, o, symbol, path);
    }
    viewer.DeleteObjects();
    if (count == 0)
        fail("no symbols listed in " + o.library);
}

} // namespace

void add_render_command(CLI::App &app)
{
    auto o = std::make_shared<render_options>();
    auto *cmd = app.add_subcommand("render", "Render a symbol (or every symbol) to PNG");
    cmd->add_option("LIBRARY", o->library, "Symbol library file")->required();
    cmd->add_option("SYMBOL", o->symbol, "Symbol name (or --all)");
    cmd->add_option("-o,--output", o->output, "PNG file, or the folder with --all")->required();
    cmd->add_option("--size", o->size, "Render an N x N picture (GetImage)")->capture_default_str();
    cmd->add_option("--window", o->window,
                    "Render into a window of WxH client pixels instead (RemakeImage)");
    cmd->add_option("--rotation", o->rotation, "Camera rotation in degrees")->capture_default_str();
    cmd->add_option("--tilt", o->tilt, "Camera tilt in degrees")->capture_default_str();
    cmd->add_option("--colors", o->colors, "Layer colour file");
    cmd->add_option("--background", o->background, "Background colour RRGGBB")->capture_default_str();
    cmd->add_flag("--no-lines", o->no_lines, "Do not draw the symbol's lines");
    cmd->add_flag("--all", o->all, "Render every listed symbol into the folder given by -o");
    cmd->callback([o] { run(*o); });
}
