// Message boxes: answered by the host's provider, the terminal, a script, or
// declined; each is written to the UI log.
#include "skelvane/msgbox.h"

#include <cctype>
#include <cstdio>
#include <string>

#include "provider.h"
#include "skelvane/ui.h"

namespace {

skelvane_message_box_fn &host_provider()
{
    static skelvane_message_box_fn provider = nullptr;
    return provider;
}

struct answer_name {
    int id;
    const char *word; // as a script or the terminal gives it
    const char *log;  // as the log writes it
};

constexpr answer_name answer_names[] = {
    {IDOK, "ok", "OK"},         {IDCANCEL, "cancel", "CANCEL"}, {IDYES, "yes", "YES"},
    {IDNO, "no", "NO"},         {IDABORT, "abort", "ABORT"},    {IDRETRY, "retry", "RETRY"},
    {IDIGNORE, "ignore", "IGNORE"},
};

std::vector<int> answers_for(UINT buttons)
{
    switch (buttons) {
    case MB_OKCANCEL: return {IDOK, IDCANCEL};
    case MB_ABORTRETRYIGNORE: return {IDABORT, IDRETRY, IDIGNORE};
    case MB_YESNOCANCEL: return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO: return {IDYES, IDNO};
    case MB_RETRYCANCEL: return {IDRETRY, IDCANCEL};
    default: return {IDOK};
    }
}

// What a process without a user answers: never consent.
int declined_answer(UINT buttons)
{
    switch (buttons) {
    case MB_OKCANCEL:
    case MB_YESNOCANCEL:
    case MB_RETRYCANCEL: return IDCANCEL;
    case MB_ABORTRETRYIGNORE: return IDABORT;
    case MB_YESNO: return IDNO;
    default: return IDOK;
    }
}

const char *buttons_name(UINT buttons)
{
    switch (buttons) {
    case MB_OKCANCEL: return "OKCANCEL";
    case MB_ABORTRETRYIGNORE: return "ABORTRETRYIGNORE";
    case MB_YESNOCANCEL: return "YESNOCANCEL";
    case MB_YESNO: return "YESNO";
    case MB_RETRYCANCEL: return "RETRYCANCEL";
    default: return "OK";
    }
}

const char *icon_name(UINT icon)
{
    switch (icon) {
    case MB_ICONSTOP: return "STOP";
    case MB_ICONQUESTION: return "QUESTION";
    case MB_ICONEXCLAMATION: return "EXCLAMATION";
    case MB_ICONINFORMATION: return "INFORMATION";
    default: return "NONE";
    }
}

const char *modality_name(UINT modality)
{
    switch (modality) {
    case MB_SYSTEMMODAL: return "SYSTEM";
    case MB_TASKMODAL: return "TASK";
    default: return "APPL";
    }
}

const char *log_name(int answer)
{
    for (const answer_name &a : answer_names)
        if (a.id == answer)
            return a.log;
    return "OK";
}

std::string lowered_trimmed(const std::string &s)
{
    std::size_t begin = 0, end = s.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(s[begin])))
        ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(s[end - 1])))
        --end;
    std::string out;
    for (std::size_t i = begin; i < end; ++i)
        out += static_cast<char>(std::tolower(static_cast<unsigned char>(s[i])));
    return out;
}

// The answer a word stands for, when it is one of the box's buttons.
int answer_from_word(const std::string &word, UINT buttons)
{
    const std::string w = lowered_trimmed(word);
    for (int id : answers_for(buttons))
        for (const answer_name &a : answer_names)
            if (a.id == id && w == a.word)
                return id;
    return 0;
}

int decline(const char *text, const char *caption, UINT buttons)
{
    std::fprintf(stderr, "[%s] %s\n", caption ? caption : "", text ? text : "");
    return declined_answer(buttons);
}

int ask_console(const char *text, const char *caption, UINT buttons)
{
    std::string choices;
    for (int id : answers_for(buttons)) {
        for (const answer_name &a : answer_names)
            if (a.id == id)
                choices += choices.empty() ? a.word : std::string("/") + a.word;
    }
    const std::string prompt = std::string("[") + (caption ? caption : "") + "] " + (text ? text : "") + "\n(" +
                               choices + ")? ";
    for (;;) {
        const std::optional<std::string> line = skel_ui_console_ask(prompt);
        if (!line)
            return declined_answer(buttons);
        if (int id = answer_from_word(*line, buttons))
            return id;
    }
}

int ask_script(const char *text, const char *caption, UINT buttons)
{
    if (const std::optional<std::string> line = skel_ui_peek_line()) {
        if (int id = answer_from_word(*line, buttons)) {
            skel_ui_consume_line();
            return id;
        }
    }
    return decline(text, caption, buttons);
}

} // namespace

skelvane_message_box_fn skel_host_message_box_provider()
{
    return host_provider();
}

extern "C" SKEL_API void skelvane_set_message_box_provider(skelvane_message_box_fn fn)
{
    host_provider() = fn;
}

int MessageBox(HWND owner, const char *text, const char *caption, UINT type)
{
    const UINT buttons = type & MB_TYPEMASK;
    int answer = 0;
    switch (skel_ui_current_mode()) {
    case skel_ui_mode::host: answer = host_provider()(owner, text, caption, type); break;
    case skel_ui_mode::console: answer = ask_console(text, caption, buttons); break;
    case skel_ui_mode::script: answer = ask_script(text, caption, buttons); break;
    case skel_ui_mode::none: answer = decline(text, caption, buttons); break;
    }
    skel_ui_log({"box", caption ? caption : "", text ? text : "", buttons_name(buttons), icon_name(type & MB_ICONMASK),
                 modality_name(type & MB_MODEMASK), log_name(answer)});
    return answer;
}
