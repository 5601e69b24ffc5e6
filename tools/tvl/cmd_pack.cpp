// tvl pack (not built yet)
#include <cstdio>

#include "commands.h"

void add_pack_command(CLI::App &app)
{
    auto *cmd = app.add_subcommand("pack", "(not available yet)");
    cmd->allow_extras();
    cmd->callback([] {
        std::fprintf(stderr, "tvl pack: not available yet\n");
        throw command_exit{2};
    });
}
