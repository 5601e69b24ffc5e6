// Choice of the UI provider, scripted answers and the UI log.
#include "skelvane/ui.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "provider.h"
#include "skelvane/paths.h"

namespace {

struct ui_state {
    bool chosen = false;
    skel_ui_mode mode = skel_ui_mode::none;
    std::vector<std::string> script;
    std::size_t position = 0;
};

ui_state &state()
{
    static ui_state s;
    return s;
}

void load_script(const std::string &file)
{
    // Never a pipe: opening one would wait for a writer.
    std::string text;
    if (!skel_read_host_file(file, text)) {
        std::fprintf(stderr, "skelvane: cannot read UI script %s; answering as 'none'\n", file.c_str());
        return;
    }
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        state().script.push_back(line);
    }
}

void choose()
{
    ui_state &s = state();
    if (s.chosen)
        return;
    s.chosen = true;
    const char *setting = std::getenv("SKELVANE_UI");
    const std::string value = setting ? setting : "";
    if (value.empty()) {
        s.mode = (::isatty(0) && ::isatty(2)) ? skel_ui_mode::console : skel_ui_mode::none;
    } else if (value == "console") {
        s.mode = skel_ui_mode::console;
    } else if (value == "none") {
        s.mode = skel_ui_mode::none;
    } else if (value.starts_with("script:")) {
        s.mode = skel_ui_mode::script;
        load_script(value.substr(7));
    } else {
        std::fprintf(stderr, "skelvane: unknown SKELVANE_UI value '%s'; answering as 'none'\n", value.c_str());
        s.mode = skel_ui_mode::none;
    }
}

std::string escape_field(const std::string &field)
{
    std::string out;
    out.reserve(field.size());
    for (char c : field) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        case '\r': out += "\\r"; break;
        default: out += c;
        }
    }
    return out;
}

} // namespace

skel_ui_mode skel_ui_current_mode()
{
    if (skel_host_message_box_provider())
        return skel_ui_mode::host;
    choose();
    return state().mode;
}

std::optional<std::string> skel_ui_peek_line()
{
    choose();
    const ui_state &s = state();
    if (s.mode != skel_ui_mode::script || s.position >= s.script.size())
        return std::nullopt;
    return s.script[s.position];
}

void skel_ui_consume_line()
{
    choose();
    ui_state &s = state();
    if (s.position < s.script.size())
        ++s.position;
}

std::optional<std::string> skel_ui_console_ask(const std::string &prompt)
{
    std::fputs(prompt.c_str(), stderr);
    std::fflush(stderr);
    std::string line;
    int c;
    while ((c = std::fgetc(stdin)) != EOF && c != '\n')
        line += static_cast<char>(c);
    if (c == EOF && line.empty())
        return std::nullopt;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

void skel_ui_log(const std::vector<std::string> &fields)
{
    const char *file = std::getenv("SKELVANE_UI_LOG");
    if (!file || !*file)
        return;
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i)
            line += '\t';
        line += escape_field(fields[i]);
    }
    line += '\n';
    if (std::FILE *out = std::fopen(file, "ab")) {
        std::fwrite(line.data(), 1, line.size(), out);
        std::fclose(out);
    }
}

void skel_ui_reset()
{
    state() = ui_state{};
}
