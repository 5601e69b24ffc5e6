// tvl cache info|clear: the cache of tvl gallery's pictures.
#include <cstdio>
#include <memory>
#include <string>

#include "commands.h"
#include "gallery/picture_cache.h"

namespace {

struct cache_options {
    std::string action;
    std::string folder;
};

void run(cache_options o)
{
    if (o.folder.empty())
        o.folder = default_cache_folder();
    if (o.folder.empty()) {
        std::fprintf(stderr, "tvl cache: no cache folder: set XDG_CACHE_HOME or HOME, or give --cache\n");
        throw command_exit{1};
    }
    if (o.action == "clear") {
        std::string error;
        if (!clear_cache(o.folder, error)) {
            std::fprintf(stderr, "tvl cache: %s\n", error.c_str());
            throw command_exit{1};
        }
        std::printf("cleared %s\n", o.folder.c_str());
        return;
    }
    const cache_summary s = summarize_cache(o.folder);
    std::printf("folder: %s\npictures: %ld\nlibraries: %ld\nexports: %ld\nbytes: %ju\n", o.folder.c_str(),
                s.pictures, s.libraries, s.exports, s.bytes);
}

} // namespace

void add_cache_command(CLI::App &app)
{
    auto o = std::make_shared<cache_options>();
    auto *cmd = app.add_subcommand("cache", "Show or clear the cache of tvl gallery");
    cmd->add_option("ACTION", o->action, "info: what the cache holds; clear: remove it")
        ->required()
        ->check(CLI::IsMember({"info", "clear"}));
    cmd->add_option("--cache", o->folder, "Cache folder (default $XDG_CACHE_HOME/skelvane or ~/.cache/skelvane)");
    cmd->footer("clear removes only the cache's own folders (pictures, libraries, exports).");
    cmd->callback([o] { run(*o); });
}
