// tvl list (not built yet)
#include <cstdio>

#include "commands.h"

void add_list_command(CLI::App &app)
{
    auto *cmd = app.add_subcommand("list", "(not available yet)");
    cmd->allow_extras();
    cmd->callback([] {
        std::fprintf(stderr, "tvl list: not available yet\n");
        throw command_exit{2};
    });
}
