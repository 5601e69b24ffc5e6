// tvl export LIBRARY SYMBOL -o OUT.dxf|.obj|.svg, or LIBRARY --all -o FOLDER:
// symbols back out as DXF drawings, OBJ models or SVG plan views.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "commands.h"
#include "dxf/definition.h"
#include "dxf/dxf_out.h"
#include "dxf/file_output.h"
#include "dxf/scene_out.h"
#include "reader_messages.h"
#include "skelvane/paths.h"
#include "tavrel_scene.h"
#include "tavrel_viewer.h"
#include "tvlaccess.h"

namespace fs = std::filesystem;

namespace {

struct export_options {
    std::string library, symbol, output, format, mode = "full", dxf_version, colors;
    bool all = false;
    bool quiet = false;
};

[[noreturn]] void fail(const std::string &message)
{
    std::fprintf(stderr, "tvl export: %s\n", message.c_str());
    throw command_exit{1};
}

std::string lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

void add_triangle(void *context, const double corners[9], const double normal[3], unsigned long color)
{
    dxf::scene::triangle t;
    std::copy(corners, corners + 9, t.corners.begin());
    std::copy(normal, normal + 3, t.normal.begin());
    t.color = color;
    static_cast<dxf::scene *>(context)->triangles.push_back(t);
}

void add_line(void *context, const double ends[6], unsigned long color)
{
    dxf::scene::line l;
    std::copy(ends, ends + 6, l.ends.begin());
    l.color = color;
    static_cast<dxf::scene *>(context)->lines.push_back(l);
}

void add_point(void *context, const double at[3])
{
    static_cast<dxf::scene *>(context)->points.push_back({at[0], at[1], at[2]});
}

// One symbol to one file; false (after a message) when the symbol cannot be loaded.
bool export_one(const export_options &o, const std::string &symbol, const std::string &out, const std::string &format)
{
    if (format == "dxf") {
        const dxf::definition d = dxf::load_definition(o.library, symbol);
        if (!d.complete || d.blocks.empty()) {
            std::fprintf(stderr, "tvl export: cannot load symbol %s from %s\n", symbol.c_str(), o.library.c_str());
            return false;
        }
        // R12 unless asked otherwise, or unless the symbol holds what only R2000 can hold.
        const bool r2000 = o.dxf_version == "2000" || (o.dxf_version.empty() && dxf::needs_r2000(d));
        dxf::write_file_atomically(out, dxf::write_dxf(d, r2000 ? dxf::dxf_version::r2000 : dxf::dxf_version::r12));
        return true;
    }
    dxf::scene s;
    const tavrel_scene_sink sink{&s, add_triangle, add_line, add_point};
    int loaded;
    {
        const reader_messages_to_stderr redirect;
        loaded = tavrel_read_scene(o.library.c_str(), symbol.c_str(), o.colors.empty() ? nullptr : o.colors.c_str(),
                                   &sink);
    }
    if (loaded != 1) {
        std::fprintf(stderr, "tvl export: cannot load symbol %s from %s\n", symbol.c_str(), o.library.c_str());
        return false;
    }
    if (format == "svg") {
        dxf::write_file_atomically(out, dxf::write_svg(s));
    } else {
        const fs::path mtl = fs::path(out).replace_extension(".mtl");
        dxf::write_file_atomically(mtl.string(), dxf::write_mtl(s));
        dxf::write_file_atomically(out, dxf::write_obj(s, mtl.filename().string()));
    }
    return true;
}

// A symbol's file in the output folder: names come from the library, so
// separators and a leading dot cannot lead the file elsewhere.
std::string file_name_for(std::string name, const std::string &format)
{
    for (char &c : name)
        if (c == '/' || c == '\\' || c == '\0')
            c = '_';
    if (name.empty() || name[0] == '.')
        name.insert(0, "_");
    return name + "." + format;
}

std::vector<std::string> symbol_names(const std::string &library)
{
    std::vector<std::string> names;
    resbuf *list;
    {
        const reader_messages_to_stderr redirect;
        list = ta_tvllist(library.c_str());
    }
    for (const resbuf *rb = list; rb; rb = rb->next)
        if (rb->code == RB_STRING && rb->value.string)
            names.emplace_back(rb->value.string);
    ta_relrb(list);
    return names;
}

void run(const export_options &o)
{
    if (!skel_file_exists(o.library.c_str()))
        fail("no library " + o.library);
    if (!o.colors.empty() && !skel_file_exists(o.colors.c_str()))
        fail("no layer colour file " + o.colors);
    if (o.all == !o.symbol.empty())
        fail(o.all ? "name a symbol or --all, not both" : "name a symbol, or --all for every symbol");
    std::string format = lower(o.format);
    const std::string extension = lower(fs::path(o.output).extension().string());
    if (format.empty() && !o.all && !extension.empty())
        format = extension.substr(1);
    if (format.empty())
        format = "dxf";
    if (format != "dxf" && format != "obj" && format != "svg")
        fail("format dxf, obj or svg expected, not \"" + format + "\" (give --format or a known extension)");

    cl_export_functions viewer; // the drawing mode is process-wide
    viewer.SetDrawingMode(o.mode == "classic" ? TAVREL_MODE_CLASSIC : TAVREL_MODE_FULL);

    try {
        if (!o.all) {
            if (!export_one(o, o.symbol, o.output, format))
                throw command_exit{1};
            throw command_exit{0};
        }
        std::error_code ec;
        fs::create_directories(o.output, ec);
        if (!fs::is_directory(o.output))
            fail("cannot make the folder " + o.output);
        const std::vector<std::string> names = symbol_names(o.library);
        if (names.empty())
            fail(o.library + " lists no symbols");
        const bool progress = !o.quiet && isatty(STDERR_FILENO);
        std::size_t failed = 0, done = 0;
        for (const std::string &name : names) {
            if (!export_one(o, name, (fs::path(o.output) / file_name_for(name, format)).string(), format))
                ++failed;
            if (progress)
                std::fprintf(stderr, "\rtvl export: %zu/%zu symbols", ++done, names.size());
        }
        if (progress)
            std::fputs("\n", stderr);
        if (failed)
            fail(std::to_string(failed) + " of " + std::to_string(names.size()) + " symbols could not be exported");
    } catch (const std::runtime_error &e) {
        fail(e.what());
    }
    throw command_exit{0};
}

} // namespace

void add_export_command(CLI::App &app)
{
    auto o = std::make_shared<export_options>();
    auto *cmd = app.add_subcommand("export", "Write symbols as DXF drawings, OBJ models or SVG plan views");
    cmd->footer("DXF holds the symbol's entities, nested blocks, layers, line types and styles as stored;\n"
                "OBJ (with an MTL of the colours) and SVG hold the viewer's lines and triangles.");
    cmd->add_option("LIBRARY", o->library, "Symbol library file")->required();
    cmd->add_option("SYMBOL", o->symbol, "Symbol name (or --all)");
    cmd->add_option("-o,--output", o->output, "Output file, or the folder for --all")->required();
    cmd->add_flag("--all", o->all, "Every listed symbol, one file each in the output folder");
    cmd->add_option("--format", o->format, "dxf, obj or svg (default: from the output's extension; dxf for --all)");
    cmd->add_option("--dxf-version", o->dxf_version, "12 (AC1009) or 2000 (AC1015, with handles); default: 12, or 2000 for\n"
                                            "symbols R12 cannot hold (LWPOLYLINE, MTEXT, subclass markers...)")
        ->check(CLI::IsMember({"12", "2000"}));
    cmd->add_option("--mode", o->mode, "Drawing mode for OBJ and SVG: full (default) or classic")
        ->check(CLI::IsMember({"full", "classic"}));
    cmd->add_option("--colors", o->colors, "Layer colour file for OBJ and SVG");
    cmd->add_flag("--quiet", o->quiet, "No progress line");
    cmd->callback([o] { run(*o); });
}
