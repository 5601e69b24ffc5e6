// The subcommands of tvl; each registers itself on the application.
#pragma once
#include <CLI/CLI.hpp>

// Thrown by a subcommand's callback to end tvl with this exit status.
struct command_exit {
    int status;
};

void add_list_command(CLI::App &app);
void add_dump_command(CLI::App &app);
void add_scene_command(CLI::App &app);
void add_render_command(CLI::App &app);
void add_gallery_command(CLI::App &app);
void add_cache_command(CLI::App &app);
void add_view_command(CLI::App &app);
void add_pack_command(CLI::App &app);
void add_export_command(CLI::App &app);
