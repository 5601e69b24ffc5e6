// tvl list LIBRARY: the names of a library's listed symbols, one a line.
#include <cstdint>
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

std::int32_t little_endian(const unsigned char *b)
{
    return static_cast<std::int32_t>(std::uint32_t(b[0]) | (std::uint32_t(b[1]) << 8) | (std::uint32_t(b[2]) << 16) |
                                     (std::uint32_t(b[3]) << 24));
}

// Whether the symbol index can be walked to its end: the reader says only
// that it could not read the library, and an index it cannot walk is not an
// empty one.
bool index_walks(std::FILE *f, long first, int version)
{
    if (std::fseek(f, 0, SEEK_END) != 0)
        return false;
    const long size = std::ftell(f);
    long steps = size / 6 + 1; // every record takes more: more steps met a cycle
    for (long offset = first; offset != 0; --steps) {
        unsigned char type, length, fields[17];
        const std::size_t fixed = version >= 30 ? 17 : 16;
        if (steps <= 0 || offset < 0 || offset >= size || std::fseek(f, offset, SEEK_SET) != 0 ||
            std::fread(&type, 1, 1, f) != 1 || (type != 9 && type != 18) || std::fread(&length, 1, 1, f) != 1 ||
            std::fseek(f, length, SEEK_CUR) != 0 || std::fread(fields, 1, fixed, f) != fixed)
            return false;
        offset = little_endian(fields + fixed - 4);
    }
    return true;
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
    const char *reason = "holds no listed symbols";
    const int version = n < 5 ? 0 : (head[3] - '0') * 10 + (head[4] - '0');
    if (n < 5 || std::memcmp(head, "TVL", 3) != 0)
        reason = "not a symbol library";
    else if (head[3] > '4' || version < 20)
        reason = "not a symbol library of a readable version";
    else if (n < sizeof head || head[34] != 'B' || head[39] != 'L' || head[54] != 'D')
        reason = "not a readable symbol library";
    else if (!index_walks(f, little_endian(head + 60), version))
        reason = "its symbol index cannot be read";
    std::fclose(f);
    return reason;
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
