// tvl dump (not built yet)
#include <cstdio>

#include "commands.h"

void add_dump_command(CLI::App &app)
{
    auto *cmd = app.add_subcommand("dump", "(not available yet)");
    cmd->allow_extras();
    cmd->callback([] {
        std::fprintf(stderr, "tvl dump: not available yet\n");
        throw command_exit{2};
    });
}
