// tvl dump LIBRARY SYMBOL [--exact] [-o FILE]: the trace of every callback call
// that defining a symbol makes, one line per call, for other programs to read.
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "commands.h"
#include "tvl_format/group_codes.h"
#include "tvlaccess.h"

namespace {

struct dump_state {
    std::FILE *out = stdout;
    const char *real = "%0.6g";
};

dump_state &state()
{
    static dump_state s;
    return s;
}

void print_real(double v)
{
    std::fprintf(state().out, state().real, v);
}

void print_record(const resbuf *rb)
{
    std::FILE *out = state().out;
    const int code = rb->code;
    const auto &v = rb->value;
    switch (tvl_format::group_basic_kind(code)) {
    case RB_REAL:
        std::fprintf(out, "(%d.", code);
        print_real(v.real);
        std::fputs(")", out);
        break;
    case RB_POINT2D:
    case RB_POINT3D: {
        const int n = tvl_format::group_basic_kind(code) == RB_POINT2D ? 2 : 3;
        std::fprintf(out, "(%d.(", code);
        for (int i = 0; i < n; ++i) {
            if (i)
                std::fputs(" ", out);
            print_real(v.point[i]);
        }
        std::fputs("))", out);
        break;
    }
    case RB_SHORT:
        std::fprintf(out, "(%d.%d)", code, v.int16);
        break;
    case RB_LONG:
        std::fprintf(out, "(%d.%ld)", code, static_cast<long>(v.int32));
        break;
    case RB_STRING:
        std::fprintf(out, "(%d.\"%s\")", code, v.string ? v.string : "");
        break;
    case RB_ENAME: {
        const auto name = static_cast<int64_t>((static_cast<uint64_t>(static_cast<uint32_t>(v.ename[1])) << 32) |
                                               static_cast<uint32_t>(v.ename[0]));
        std::fprintf(out, "(%d.<%" PRId64 ">)", code, name);
        break;
    }
    case RB_OBJECT:
    case RB_LONG_510:
    case RB_LONG_520: {
        uint32_t word;
        std::memcpy(&word, &v, sizeof word);
        std::fprintf(out, "(%d.%lx)", code, static_cast<unsigned long>(word));
        break;
    }
    case RB_BINARY: {
        std::fprintf(out, "(%d.\"", code);
        const auto *bytes = reinterpret_cast<const unsigned char *>(v.binary.bytes);
        for (uint32_t i = 0; bytes && i < v.binary.length; ++i)
            std::fprintf(out, "%2.2X", bytes[i]);
        std::fputs("\")", out);
        break;
    }
    case RB_NONE:
        switch (tvl_format::group_kind(code)) {
        case RB_VOID: case 6002: std::fputs("(null)", out); break;
        case RB_LIST_BEGIN: std::fputs("(", out); break;
        case RB_LIST_END: std::fputs(")", out); break;
        case RB_NIL: std::fputs("(nil)", out); break;
        case RB_TRUE: std::fputs("T", out); break;
        default: std::fprintf(out, "Unknown type: %d", code); break;
        }
        break;
    default:
        std::fprintf(out, "Unknown basic type: %d", code);
        break;
    }
}

void print_line(const char *tag, const resbuf *chain)
{
    std::FILE *out = state().out;
    std::fputs(tag, out);
    if (!chain)
        std::fputs("(null)", out);
    for (const resbuf *rb = chain; rb; rb = rb->next)
        print_record(rb);
    std::fputs("\n", out);
    std::fflush(out);
}

int on_entity(const resbuf *chain)
{
    print_line("E ", chain);
    return RB_OK;
}

int on_table(const resbuf *chain)
{
    print_line("T ", chain);
    return RB_OK;
}

int on_command(const resbuf *chain)
{
    print_line("C ", chain);
    return RB_OK;
}

} // namespace

void add_dump_command(CLI::App &app)
{
    struct options {
        std::string library, symbol, output;
        bool exact = false;
    };
    auto opt = std::make_shared<options>();
    auto *cmd = app.add_subcommand("dump", "Trace the callbacks that defining a symbol makes, one line per call");
    cmd->add_option("LIBRARY", opt->library, "Symbol library file")->required();
    cmd->add_option("SYMBOL", opt->symbol, "Symbol name")->required();
    cmd->add_flag("--exact", opt->exact, "Print reals with 17 significant digits");
    cmd->add_option("-o,--output", opt->output, "Write the trace to FILE instead of standard output");
    cmd->callback([opt] {
        dump_state &s = state();
        s.real = opt->exact ? "%.17g" : "%0.6g";
        s.out = stdout;
        if (!opt->output.empty()) {
            s.out = std::fopen(opt->output.c_str(), "w");
            if (!s.out) {
                std::fprintf(stderr, "tvl dump: cannot write %s: %s\n", opt->output.c_str(), std::strerror(errno));
                throw command_exit{2};
            }
        }
        ta_init(on_entity, on_table, on_command);
        const bool ok = ta_tvldef(opt->library.c_str(), opt->symbol.c_str());
        std::fprintf(s.out, "RESULT %d\n", ok ? 1 : 0);
        if (!ok && opt->symbol.size() > 123) // the reader refuses such names without a word
            std::fprintf(stderr, "tvl dump: symbol name longer than 123 characters\n");
        const bool written = std::fflush(s.out) == 0 && !std::ferror(s.out);
        if (s.out != stdout)
            std::fclose(s.out);
        if (!written) {
            std::fprintf(stderr, "tvl dump: writing the trace failed\n");
            throw command_exit{2};
        }
        throw command_exit{ok ? 0 : 1};
    });
}
