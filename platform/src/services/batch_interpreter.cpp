// Batch files as the system writes them: ECHO ON/OFF, CLS, REM, labels, an
// optional leading '@' that keeps a line from being echoed, and command lines,
// each run to its end before the next.
#include "batch_interpreter.h"

#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <fstream>

#include "process_internal.h"

namespace {

std::string trimmed_left(const std::string &s)
{
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t'))
        ++i;
    return s.substr(i);
}

std::string first_word_upper(const std::string &line, std::string &rest)
{
    std::size_t i = 0;
    while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i])) && line[i] != '.')
        ++i;
    std::string word;
    for (std::size_t k = 0; k < i; ++k)
        word += static_cast<char>(std::toupper(static_cast<unsigned char>(line[k])));
    rest = trimmed_left(line.substr(i < line.size() && line[i] != '.' ? i + 1 : i));
    return word;
}

std::string upper(std::string s)
{
    for (char &c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.pop_back();
    return s;
}

} // namespace

int skel_run_batch_file(const std::string &host_path)
{
    std::ifstream in(host_path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "The batch file cannot be found.\n");
        return 1;
    }
    bool echo = true;
    int last = 0;
    std::string raw;
    while (std::getline(in, raw)) {
        while (!raw.empty() && (raw.back() == '\r' || raw.back() == '\n'))
            raw.pop_back();
        std::string line = trimmed_left(raw);
        bool quiet = false;
        while (!line.empty() && line[0] == '@') {
            quiet = true;
            line = trimmed_left(line.substr(1));
        }
        if (line.empty() || line[0] == ':')
            continue;
        std::string rest;
        const std::string word = first_word_upper(line, rest);
        if (word == "REM")
            continue;
        if (word == "ECHO") {
            const std::string setting = upper(rest);
            if (setting == "OFF")
                echo = false;
            else if (setting == "ON")
                echo = true;
            else if (!rest.empty() || line.size() > 4)
                std::printf("%s\n", rest.c_str());
            else
                std::printf("ECHO is %s.\n", echo ? "on" : "off");
            std::fflush(stdout);
            continue;
        }
        if (echo && !quiet) {
            std::printf("\n>%s\n", line.c_str());
            std::fflush(stdout);
        }
        if (word == "CLS") {
            if (::isatty(STDOUT_FILENO)) {
                std::fputs("\x1b[H\x1b[2J", stdout);
                std::fflush(stdout);
            }
            continue;
        }
        DWORD error = 0;
        skel_process *p = skel_start_process_in_group(line, "", &error, false);
        if (!p) {
            std::fprintf(stderr, "'%s' cannot be run (error %lu).\n", line.c_str(), static_cast<unsigned long>(error));
            last = 9009;
            continue;
        }
        skel_wait_process(p, -1);
        unsigned long code = 0;
        skel_process_exit_code(p, &code);
        skel_close_process(p);
        last = static_cast<int>(code);
    }
    return last;
}
