// Stand-in for the import program.  It takes the bridge's command line
// (-x<file to write> -p<PN> -m<MC>) and writes the -x file:
//   PELLIMAX_STANDIN_TEXT_<n>  text for the n-th run (counted by the log below)
//   PELLIMAX_STANDIN_TEXT      text for every run; \n, \r, \t and \\ are decoded,
//                              and an empty value writes an empty file
//   otherwise                  "PN=<PN>" and "MC=<MC>" lines
//   PELLIMAX_STANDIN_LOG       file that gets one line per run: the arguments,
//                              separated by tabs
//   PELLIMAX_STANDIN_EXIT      exit code (default 0)
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "skelvane/paths.h"

namespace {

std::string decoded(const char *text)
{
    std::string out;
    for (const char *c = text; *c; ++c) {
        if (*c != '\\' || !c[1]) {
            out += *c;
            continue;
        }
        ++c;
        switch (*c) {
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        default: out += *c;
        }
    }
    return out;
}

// Logs this run and returns its number, 1 for the first.
int log_run(int argc, char **argv)
{
    const char *log = std::getenv("PELLIMAX_STANDIN_LOG");
    if (!log || !*log)
        return 1;
    int runs = 1;
    if (std::FILE *in = std::fopen(log, "rb")) {
        for (int c; (c = std::fgetc(in)) != EOF;)
            runs += c == '\n';
        std::fclose(in);
    }
    if (std::FILE *out = std::fopen(log, "ab")) {
        for (int i = 1; i < argc; ++i)
            std::fprintf(out, "%s%s", i > 1 ? "\t" : "", argv[i]);
        std::fputc('\n', out);
        std::fclose(out);
    }
    return runs;
}

} // namespace

int main(int argc, char **argv)
{
    std::string x, p, m;
    bool have_x = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::printf("usage: pellimax.exe -x<file to write> -p<PN value> -m<MC value>\n"
                        "Writes the item's PN= and MC= lines (or PELLIMAX_STANDIN_TEXT) into the -x file.\n");
            return 0;
        }
        if (std::strncmp(argv[i], "-x", 2) == 0) {
            x = argv[i] + 2;
            have_x = true;
        } else if (std::strncmp(argv[i], "-p", 2) == 0) {
            p = argv[i] + 2;
        } else if (std::strncmp(argv[i], "-m", 2) == 0) {
            m = argv[i] + 2;
        }
    }
    const int run = log_run(argc, argv);
    if (!have_x || x.empty()) {
        std::fprintf(stderr, "pellimax.exe: no -x file to write\n");
        return 2;
    }
    std::string text = "PN=" + p + "\nMC=" + m + "\n";
    const std::string numbered = "PELLIMAX_STANDIN_TEXT_" + std::to_string(run);
    if (const char *t = std::getenv(numbered.c_str()))
        text = decoded(t);
    else if (const char *all = std::getenv("PELLIMAX_STANDIN_TEXT"))
        text = decoded(all);
    std::FILE *out = skel_fopen(x.c_str(), "wb");
    if (!out) {
        std::fprintf(stderr, "pellimax.exe: cannot write %s\n", x.c_str());
        return 3;
    }
    std::fwrite(text.data(), 1, text.size(), out);
    std::fclose(out);
    const char *exit_code = std::getenv("PELLIMAX_STANDIN_EXIT");
    return exit_code ? std::atoi(exit_code) : 0;
}
