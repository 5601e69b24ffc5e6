// tvl scene (not built yet)
#include <cstdio>

#include "commands.h"

void add_scene_command(CLI::App &app)
{
    auto *cmd = app.add_subcommand("scene", "(not available yet)");
    cmd->allow_extras();
    cmd->callback([] {
        std::fprintf(stderr, "tvl scene: not available yet\n");
        throw command_exit{2};
    });
}
