// tvl gallery LIBRARY... -o FOLDER: a static site to browse libraries by their
// pictures, with search, a page per symbol and pictures kept in a cache.
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>

#include "commands.h"
#include "gallery/gallery_build.h"
#include "gallery/picture_cache.h"
#include "gallery/symbol_exports.h"
#include "skelvane/paths.h"

namespace {

[[noreturn]] void fail(const std::string &message)
{
    std::fprintf(stderr, "tvl gallery: %s\n", message.c_str());
    throw command_exit{1};
}

void check(gallery_settings &s)
{
    for (const std::string &library : s.libraries)
        if (!skel_file_exists(library.c_str()))
            fail("no library " + library);
    if (s.size < 16 || s.size > 1024)
        fail("--size must lie between 16 and 1024");
    if (s.page_size < 16 || s.page_size > 4096)
        fail("--page-size must lie between 16 and 4096");
    if (s.jobs < 1 || s.jobs > 256)
        fail("--jobs must lie between 1 and 256");
    if (!s.colors.empty() && !skel_file_exists(s.colors.c_str()))
        fail("no layer colour file " + s.colors);
    if (s.cache.empty())
        s.cache = default_cache_folder();
    if (s.cache.empty())
        fail("no cache folder: set XDG_CACHE_HOME or HOME, or give --cache");
}

void run(gallery_settings s)
{
    check(s);
    std::string program;
    if (s.exports) {
        char self[4096];
        const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
        if (n > 0)
            program.assign(self, static_cast<std::size_t>(n));
        if (!program.empty() && !export_available(program))
            program.clear();
    }
    const gallery_result r = build_gallery(s, program);
    if (!r.error.empty())
        fail(r.error);
    std::fprintf(stderr, "tvl gallery: %ld symbols, %ld pictures drawn", r.symbols, r.rendered);
    if (r.thumbnails > 0 && r.rendered > r.thumbnails)
        std::fprintf(stderr, " (thumbnails %.1f ms, four views %.1f ms each)",
                     r.thumbnail_ms / static_cast<double>(r.thumbnails),
                     r.views_ms / static_cast<double>(r.rendered - r.thumbnails));
    std::fprintf(stderr, ", %ld from the cache", r.served - r.rendered);
    if (r.failed > 0)
        std::fprintf(stderr, ", %ld symbols could not be drawn", r.failed);
    std::fprintf(stderr, "\n");
    std::printf("%s\n", r.index.c_str());
    std::fflush(stdout);
    if (r.failed > 0)
        throw command_exit{1};
}

int processors()
{
    const long n = sysconf(_SC_NPROCESSORS_ONLN);
    return n < 1 ? 1 : (n > 64 ? 64 : static_cast<int>(n));
}

} // namespace

void add_gallery_command(CLI::App &app)
{
    auto s = std::make_shared<gallery_settings>();
    s->jobs = processors();
    auto *cmd = app.add_subcommand("gallery", "Write a browsable site of the symbols of libraries");
    cmd->add_option("LIBRARY", s->libraries, "Symbol library files (one section each)")->required();
    cmd->add_option("-o,--output", s->output, "Folder of the site (index.html inside)")->required();
    cmd->add_option("--size", s->size, "Thumbnails of N x N pixels")->capture_default_str();
    cmd->add_option("--page-size", s->page_size, "The picture of four views on a symbol's page, N x N pixels (N/2 a view)")
        ->capture_default_str();
    cmd->add_option("--jobs", s->jobs, "Draw in N processes (default: one per processor)")->capture_default_str();
    cmd->add_option("--cache", s->cache, "Cache folder (default $XDG_CACHE_HOME/skelvane or ~/.cache/skelvane)");
    cmd->add_option("--colors", s->colors, "Layer colour file");
    cmd->add_option("--mode", s->mode, "full: what a CAD program draws; classic: the viewer's default for hosts")
        ->check(CLI::IsMember({"classic", "full"}))
        ->capture_default_str();
    cmd->add_flag("--no-exports", [s](std::int64_t) { s->exports = false; },
                  "Leave out the DXF, SVG and OBJ downloads");
    cmd->footer("Prints the path of index.html.  Pictures and downloads are kept in the cache, keyed on what\n"
                "they show, so a second run of an unchanged library draws nothing; see tvl cache.\n"
                "Exits 1 when a library cannot be read or a symbol cannot be drawn (the site is\n"
                "still written, with the symbol marked).");
    cmd->callback([s] { run(*s); });
}
