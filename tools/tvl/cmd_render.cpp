// tvl render LIBRARY SYMBOL -o OUT.png [options], or LIBRARY --all -o FOLDER:
// pictures of symbols through the viewer object, as any host makes them.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "commands.h"
#include "png_file.h"
#include "reader_messages.h"
#include "skelvane/paths.h"
#include "tavrel_viewer.h"
#include "views.h"
#include "worker_pool.h"

namespace {

struct render_options {
    std::string library;
    std::string symbol;
    std::string output;
    int size = 512;
    std::string window;
    std::string view = "auto";
    double rotation = 0.0;
    double tilt = 0.0;
    bool camera_given = false;
    std::string fit = "all";
    std::string mode = "full";
    std::string colors;
    std::string background = "FFFFFF";
    COLORREF background_color = RGB(255, 255, 255); // --background once checked
    bool no_lines = false;
    bool all = false;
    int jobs = 1;
};

[[noreturn]] void fail(const std::string &message)
{
    std::fprintf(stderr, "tvl render: %s\n", message.c_str());
    throw command_exit{1};
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

void set_camera(cl_export_functions &viewer, const render_options &o)
{
    camera_angles angles{o.rotation, o.tilt};
    if (!o.camera_given)
        angles = named_view(o.view == "auto" ? automatic_view(viewer) : o.view);
    viewer.SetCameraRotation(angles.rotation);
    viewer.SetCameraTilt(angles.tilt);
}

// One picture: rendered at --size, or through RemakeImage into a window of
// --window.  An empty string when written, else what went wrong.
std::string render_one(cl_export_functions &viewer, const render_options &o,
                       const std::string &symbol, const std::string &path)
{
    viewer.SetLibrary(o.library.c_str());
    viewer.SetBlockName(symbol.c_str());
    int loaded = 0;
    {
        const reader_messages_to_stderr redirect;
        loaded = viewer.LoadSymbol();
    }
    if (loaded != 1)
        return "cannot load symbol " + symbol + " from " + o.library;
    set_camera(viewer, o);

    if (o.window.empty()) {
        CImage target;
        if (!target.Create(o.size, o.size, 24))
            return "cannot create a picture of " + std::to_string(o.size) + " pixels";
        if (viewer.RenderImage(&target) != 0)
            return "cannot render symbol " + symbol;
        return write_png(target, path) ? std::string() : "cannot write " + path;
    }
    int width = 0;
    int height = 0;
    parse_window(o.window, width, height);
    HWND window = skel_create_offscreen_window(width, height);
    if (window == nullptr)
        return "cannot create a window of " + o.window;
    viewer.RemakeImage(window);
    const bool written = write_png(*skel_window_image(window), path);
    DestroyWindow(window);
    return written ? std::string() : "cannot write " + path;
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

// Checks the options and keeps what they parse to.
void check_options(render_options &o)
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
    if (!parse_color(o.background, o.background_color))
        fail("--background wants six hex digits RRGGBB");
    if (!o.colors.empty() && !skel_file_exists(o.colors.c_str()))
        fail("no layer colour file " + o.colors);
    if (o.jobs < 1 || o.jobs > 256)
        fail("--jobs must lie between 1 and 256");
}

// The process-wide viewer settings of one run.
void set_up_viewer(cl_export_functions &viewer, const render_options &o)
{
    viewer.SetLibrary(o.library.c_str());
    if (!o.colors.empty())
        viewer.SetLayerColorFile(o.colors.c_str());
    viewer.SetBackgroundColor(o.background_color);
    viewer.SetShowLines(o.no_lines ? 0 : 1);
    viewer.SetDrawingMode(o.mode == "classic" ? TAVREL_MODE_CLASSIC : TAVREL_MODE_FULL);
    viewer.SetFitLines(o.fit == "all" ? 1 : 0);
    viewer.SetScaledLineWidth(1);
}

struct batch_counts {
    long rendered = 0;
    long failed = 0;
};

// Renders every symbol whose index is worker modulo workers, with one viewer
// (one scene, one rendering context) for all of them.
batch_counts render_share(const render_options &o, const std::vector<std::string> &symbols,
                          int worker, int workers)
{
    cl_export_functions viewer;
    set_up_viewer(viewer, o);
    batch_counts counts;
    const std::size_t total = symbols.size();
    for (std::size_t i = static_cast<std::size_t>(worker); i < total;
         i += static_cast<std::size_t>(workers)) {
        const std::string path = (std::filesystem::path(o.output) / file_name_for(symbols[i])).string();
        const std::string error = render_one(viewer, o, symbols[i], path);
        if (error.empty()) {
            ++counts.rendered;
            std::printf("[%zu/%zu] %s -> %s\n", i + 1, total, symbols[i].c_str(), path.c_str());
        } else {
            ++counts.failed;
            std::fflush(stdout);
            std::fprintf(stderr, "tvl render: %s\n", error.c_str());
        }
        std::fflush(stdout);
    }
    viewer.DeleteObjects();
    return counts;
}

// --jobs N: N processes, each with its own viewer (the viewer's state is
// process-wide), each reporting its counts through a pipe.
batch_counts render_in_processes(const render_options &o, const std::vector<std::string> &symbols)
{
    const worker_pool_result pool = run_worker_pool(o.jobs, [&](int k, std::FILE *out) {
        const batch_counts counts = render_share(o, symbols, k, o.jobs);
        return std::fwrite(&counts, sizeof counts, 1, out) == 1;
    });
    if (!pool.error.empty())
        fail(pool.error);
    batch_counts total;
    bool lost = false;
    for (const worker_report &w : pool.workers) {
        batch_counts counts{0, 0};
        if (w.output.size() == sizeof counts)
            std::memcpy(&counts, w.output.data(), sizeof counts);
        else
            lost = true;
        lost = lost || !w.clean;
        total.rendered += counts.rendered;
        total.failed += counts.failed;
    }
    if (lost) {
        // Symbols a dead worker did not report count as failed.
        total.failed = static_cast<long>(symbols.size()) - total.rendered;
        std::fprintf(stderr, "tvl render: a worker process ended early\n");
    }
    return total;
}

std::vector<std::string> listed_symbols(const render_options &o)
{
    cl_export_functions viewer;
    viewer.SetLibrary(o.library.c_str());
    CStringArray names;
    {
        const reader_messages_to_stderr redirect;
        viewer.GetBlockList(&names);
    }
    std::vector<std::string> symbols;
    for (std::ptrdiff_t i = 0; i < names.GetSize(); ++i)
        symbols.push_back(names[i].str());
    return symbols;
}

void render_all(const render_options &o)
{
    std::error_code error;
    std::filesystem::create_directories(o.output, error);
    if (!std::filesystem::is_directory(o.output))
        fail("cannot create folder " + o.output);
    const std::vector<std::string> symbols = listed_symbols(o);
    if (symbols.empty())
        fail("no symbols listed in " + o.library);
    const int jobs = std::min<int>(o.jobs, static_cast<int>(symbols.size()));
    const batch_counts counts =
        jobs > 1 ? render_in_processes(o, symbols) : render_share(o, symbols, 0, 1);
    std::printf("%ld rendered, %ld failed\n", counts.rendered, counts.failed);
    std::fflush(stdout);
    if (counts.failed > 0)
        throw command_exit{1};
}

void run(render_options &o)
{
    check_options(o);
    if (o.all) {
        render_all(o);
        return;
    }
    cl_export_functions viewer;
    set_up_viewer(viewer, o);
    const std::string error = render_one(viewer, o, o.symbol, o.output);
    viewer.DeleteObjects();
    if (!error.empty())
        fail(error);
}

} // namespace

void add_render_command(CLI::App &app)
{
    auto o = std::make_shared<render_options>();
    auto *cmd = app.add_subcommand("render", "Render a symbol (or every symbol) to PNG");
    cmd->add_option("LIBRARY", o->library, "Symbol library file")->required();
    cmd->add_option("SYMBOL", o->symbol, "Symbol name (or --all)");
    cmd->add_option("-o,--output", o->output, "PNG file, or the folder with --all")->required();
    cmd->add_option("--size", o->size, "Render an N x N picture")->capture_default_str();
    cmd->add_option("--window", o->window,
                    "Render into a window of WxH client pixels instead (RemakeImage)");
    cmd->add_option("--view", o->view,
                    "auto: plan (from above) when the symbol is flat in z, else iso; "
                    "front (rotation 0, tilt 0), plan (tilt -90), iso (rotation 30, tilt -25)")
        ->check(CLI::IsMember({"auto", "front", "plan", "iso"}))
        ->capture_default_str();
    auto *rotation = cmd->add_option("--rotation", o->rotation,
                                     "Camera rotation in degrees; with --tilt it sets the camera "
                                     "exactly (the other one 0) and overrides --view");
    auto *tilt = cmd->add_option("--tilt", o->tilt, "Camera tilt in degrees (see --rotation)");
    cmd->add_option("--fit", o->fit,
                    "all: frame faces, lines and markers; faces: frame the faces only, as "
                    "hosts see it by default")
        ->check(CLI::IsMember({"faces", "all"}))
        ->capture_default_str();
    cmd->add_option("--mode", o->mode,
                    "full: draw what a CAD program draws (block references, arcs, text, "
                    "hatches...); classic: the viewer's default for hosts")
        ->check(CLI::IsMember({"classic", "full"}))
        ->capture_default_str();
    cmd->add_option("--colors", o->colors, "Layer colour file");
    cmd->add_option("--background", o->background, "Background colour RRGGBB")->capture_default_str();
    cmd->add_flag("--no-lines", o->no_lines, "Do not draw the symbol's lines");
    cmd->add_flag("--all", o->all,
                  "Render every listed symbol into the folder given by -o; prints a progress line "
                  "per symbol and \"N rendered, M failed\", exits 1 when any failed");
    cmd->add_option("--jobs", o->jobs, "With --all: render in N processes")->capture_default_str();
    cmd->footer("Exits 1, writing no picture, when the library or the symbol cannot be loaded.");
    cmd->callback([o, rotation, tilt] {
        o->camera_given = rotation->count() > 0 || tilt->count() > 0;
        run(*o);
    });
}
