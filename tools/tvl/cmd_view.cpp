// tvl view LIBRARY [SYMBOL]: a desktop window to browse a library's symbols
// and turn them with the mouse (built with the window toolkit when present).
#include <cstdio>
#include <memory>

#include "commands.h"
#include "skelvane/paths.h"
#ifdef TVL_HAS_VIEW
#include "view_window.h"
#endif

namespace {

#ifndef TVL_HAS_VIEW
struct view_options {
    std::string library;
    std::string symbol;
    std::string colors;
    std::string mode = "full";
};
#endif

void run(const view_options &o)
{
    if (!skel_file_exists(o.library.c_str())) {
        std::fprintf(stderr, "tvl view: no library %s\n", o.library.c_str());
        throw command_exit{1};
    }
    if (!o.colors.empty() && !skel_file_exists(o.colors.c_str())) {
        std::fprintf(stderr, "tvl view: no layer colour file %s\n", o.colors.c_str());
        throw command_exit{1};
    }
#ifdef TVL_HAS_VIEW
    throw command_exit{run_view_window(o)};
#else
    std::fprintf(stderr, "tvl view: this tvl was built without a window toolkit (install libfltk1.3-dev)\n");
    throw command_exit{1};
#endif
}

} // namespace

void add_view_command(CLI::App &app)
{
    auto o = std::make_shared<view_options>();
    auto *cmd = app.add_subcommand("view", "Browse a library's symbols in a window");
    cmd->add_option("LIBRARY", o->library, "Symbol library file")->required();
    cmd->add_option("SYMBOL", o->symbol, "Symbol shown first (default: the first listed)");
    cmd->add_option("--colors", o->colors, "Layer colour file");
    cmd->add_option("--mode", o->mode, "full: what a CAD program draws; classic: the viewer's default for hosts")
        ->check(CLI::IsMember({"classic", "full"}))
        ->capture_default_str();
    cmd->footer("Drag the picture to turn the symbol.  Keys: p plan, f front, r right, i iso, m switches\n"
                "the drawing mode, Escape closes.  The filter box keeps the symbols whose name holds its\n"
                "text.  Needs an X display (DISPLAY).");
    cmd->callback([o] { run(*o); });
}
