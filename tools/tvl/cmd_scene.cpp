// tvl scene LIBRARY SYMBOL [--colors FILE] [--mode classic|full] [-o FILE]: the geometry that the
// viewer makes of a symbol, as text, before any camera fit.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "commands.h"
#include "reader_messages.h"
#include "skelvane/paths.h"
#include "tavrel_scene.h"
#include "tavrel_viewer.h"

namespace {

struct scene_options {
    std::string library;
    std::string symbol;
    std::string colors;
    std::string output;
    std::string mode = "classic";
};

[[noreturn]] void fail(const std::string &message)
{
    std::fprintf(stderr, "tvl scene: %s\n", message.c_str());
    throw command_exit{1};
}

// Copies the finished text to its destination.
void deliver(std::FILE *text, const std::string &output)
{
    std::FILE *out = stdout;
    if (!output.empty()) {
        out = std::fopen(output.c_str(), "wb");
        if (out == nullptr)
            fail("cannot write " + output + ": " + std::strerror(errno));
    }
    std::rewind(text);
    char buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, text)) > 0)
        std::fwrite(buffer, 1, n, out);
    const bool written = std::fflush(out) == 0 && !std::ferror(out);
    if (out != stdout)
        std::fclose(out);
    if (!written)
        fail("cannot write " + (output.empty() ? std::string("standard output") : output));
}

void run(const scene_options &o)
{
    if (!skel_file_exists(o.library.c_str()))
        fail("no library " + o.library);
    if (!o.colors.empty() && !skel_file_exists(o.colors.c_str()))
        fail("no layer colour file " + o.colors);

    // The text is collected first, so that a failed load leaves no partial output file.
    std::FILE *text = std::tmpfile();
    if (text == nullptr)
        fail(std::string("cannot create a temporary file: ") + std::strerror(errno));
    int loaded = 0;
    {
        const reader_messages_to_stderr redirect;
        cl_export_functions viewer;
        viewer.SetDrawingMode(o.mode == "full" ? TAVREL_MODE_FULL : TAVREL_MODE_CLASSIC);
        loaded = tavrel_write_scene(o.library.c_str(), o.symbol.c_str(),
                                    o.colors.empty() ? nullptr : o.colors.c_str(), text);
    }
    if (loaded != 1) {
        std::fclose(text);
        fail("cannot load symbol " + o.symbol + " from " + o.library);
    }
    deliver(text, o.output);
    std::fclose(text);
}

} // namespace

void add_scene_command(CLI::App &app)
{
    auto options = std::make_shared<scene_options>();
    auto *cmd = app.add_subcommand(
        "scene", "Write the triangles, lines and points that the viewer makes of a symbol");
    cmd->footer("Lines: \"T\" three corners, normal, colour; \"L\" two ends, colour; \"P\" a point;\n"
                "last \"triangles N lines M points K\".  Colours as #RRGGBB.");
    cmd->add_option("LIBRARY", options->library, "Symbol library file")->required();
    cmd->add_option("SYMBOL", options->symbol, "Symbol name")->required();
    cmd->add_option("--colors", options->colors, "Layer colour file to load first");
    cmd->add_option("--mode", options->mode,
                    "classic: the viewer's default for hosts; full: what a CAD program draws "
                    "(block references placed, arcs, text, hatches...)")
        ->check(CLI::IsMember({"classic", "full"}))
        ->capture_default_str();
    cmd->add_option("-o,--output", options->output, "Output file (default: standard output)");
    cmd->callback([options] { run(*options); });
}
