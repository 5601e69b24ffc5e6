#include "messages.h"

#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "skelvane/msgbox.h"
#include "tvl_format/messages.h"

int msg_console(const char *fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    const int n = std::vfprintf(stdout, fmt, args);
    va_end(args);
    std::fflush(stdout);
    return n;
}

static bool mentions_error(const char *fmt)
{
    static const char word[] = "ERROR";
    for (const char *p = fmt; *p; ++p) {
        std::size_t i = 0;
        while (word[i] && p[i] && std::toupper(static_cast<unsigned char>(p[i])) == word[i])
            ++i;
        if (!word[i])
            return true;
    }
    return false;
}

// Grows only: 1 silences information boxes, 2 silences every box.
static int suppressed = 0;

int msg_box(const char *fmt, ...)
{
    const bool is_error = mentions_error(fmt);
    char text[1024 + 64];
    va_list args;
    va_start(args, fmt);
    int n = std::vsnprintf(text, 1024, fmt, args);
    va_end(args);
    if (n < 0) {
        text[0] = '\0';
        n = 0;
    } else if (n > 1023) {
        n = 1023;
    }
    std::strcat(text, tvl_format::msg_box_question);

    if (suppressed >= (is_error ? 2 : 1))
        return n;
    const UINT style = is_error ? (MB_YESNO | MB_ICONSTOP | MB_SYSTEMMODAL)
                                : (MB_YESNO | MB_ICONINFORMATION | MB_TASKMODAL);
    if (MessageBox(nullptr, text, tvl_format::msg_box_caption, style) == IDNO)
        suppressed += is_error ? 2 : 1;
    return n;
}
