// tvl: list, dump, show and render symbol libraries.
#include <cstdio>

#include "commands.h"
#include "skelvane_version.h"

int main(int argc, char **argv)
{
    CLI::App app{"tvl: list, dump, show and render symbol libraries"};
    app.set_version_flag("--version", "tvl " SKELVANE_VERSION_STRING)->trigger_on_parse();
    app.require_subcommand(1);
    add_list_command(app);
    add_dump_command(app);
    add_scene_command(app);
    add_render_command(app);
    add_gallery_command(app);
    add_cache_command(app);
    add_view_command(app);
    add_pack_command(app);
    add_export_command(app);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError &e) {
        return app.exit(e);
    } catch (const command_exit &e) {
        return e.status;
    }
    return 0;
}
