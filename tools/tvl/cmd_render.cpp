// tvl render (not built yet)
#include <cstdio>

#include "commands.h"

void add_render_command(CLI::App &app)
{
    auto *cmd = app.add_subcommand("render", "(not available yet)");
    cmd->allow_extras();
    cmd->callback([] {
        std::fprintf(stderr, "tvl render: not available yet\n");
        throw command_exit{2};
    });
}
