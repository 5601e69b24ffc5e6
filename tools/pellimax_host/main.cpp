// A small host of the import bridge: calls one of its functions and prints
// the integer it returns.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <string>

#include "pellimax.h"

int main(int argc, char **argv)
{
    CLI::App app{"Calls the item import bridge and prints what it returns (1 or 0)."};
    app.require_subcommand(1);

    std::string result_file, key_file, list_file;
    CLI::App *item = app.add_subcommand("item", "HBSpecifyItem: import one item described by a key file");
    item->add_option("RESULT", result_file, "file the import program writes")->required();
    item->add_option("KEYFILE", key_file, "the item's key file (PN= and MC= lines)")->required();
    CLI::App *list = app.add_subcommand("list", "HBSpecifyList: collect new items into a list file");
    list->add_option("LISTFILE", list_file, "file that receives the new items")->required();

    CLI11_PARSE(app, argc, argv);

    const int returned = item->parsed() ? HBSpecifyItem(result_file.c_str(), key_file.c_str())
                                        : HBSpecifyList(list_file.c_str());
    std::printf("%d\n", returned);
    return 0;
}
