// tvl list LIBRARY: the names of a library's listed symbols, one a line.
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "commands.h"
#include "skelvane/paths.h"
#include "tvlaccess.h"

namespace {

// The path as the reader opens it: ".TVL" is added when there is no extension.
std::string library_file_name(const std::string &path)
{
    const std::size_t slash = path.find_last_of("/\\");
    const std::size_t dot = path.find_last_of('.');
    const bool has_extension =
        dot != std::string::npos && (slash == std::string::npos || dot > slash) && dot + 1 < path.size();
    return has_extension ? path : path + ".TVL";
}

// Why a library lists nothing, for the one line on stderr.
const char *reason_for_no_names(const std::string &path)
{
    const std::string name = library_file_name(path);
    std::FILE *f = skel_fopen(name.c_str(), "rb");
    if (!f)
        return skel_file_exists(name.c_str()) ? "cannot be opened" : "no such library file";
    unsigned char head[69];
    const std::size_t n = std::fread(head, 1, sizeof head, f);
    std::fclose(f);
    if (n < 5 || std::memcmp(head, "TVL", 3) != 0)
        return "not a symbol library";
    const int version = (head[3] - '0') * 10 + (head[4] - '0');
    if (head[3] > '4' || version < 20)
        return "not a symbol library of a readable version";
    if (n < sizeof head || head[34] != 'B' || head[39] != 'L' || head[54] != 'D')
        return "not a readable symbol library";
    return "holds no listed symbols";
}

} // namespace

void add_list_command(CLI::App &app)
{
    auto *cmd = app.add_subcommand("list", "List the symbols of a library, one name a line");
    auto library = std::make_shared<std::string>();
    cmd->add_option("LIBRARY", *library, "Symbol library file (\".TVL\" is added without an extension)")->required();
    cmd->callback([library] {
        resbuf *names = ta_tvllist(library->c_str());
        if (!names) {
            std::fflush(stdout);
            std::fprintf(stderr, "tvl list: %s: %s\n", library->c_str(), reason_for_no_names(*library));
            throw command_exit{1};
        }
        for (const resbuf *rb = names; rb; rb = rb->next)
            if (rb->code == RB_STRING && rb->value.string)
                std::printf("%s\n", rb->value.string);
        ta_relrb(names);
        std::fflush(stdout);
        throw command_exit{0};
    });
}
