// The process's one UI provider, which answers message boxes and dialogs.
//
// SKELVANE_UI chooses it unless a host installed its own (include/skelvane_ui.h):
//   console       ask on the terminal
//   script:FILE   answers from FILE, one a line, in the order things are asked
//   none          write the text to standard error and decline
// Default: console when standard input and error are terminals, else none.
// SKELVANE_UI_LOG=FILE appends one tab-separated line per box or dialog.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "skelvane/wintypes.h"

enum class skel_ui_mode { host, console, script, none };

SKEL_API skel_ui_mode skel_ui_current_mode();

// Scripted answers: the next unconsumed line, if any; consuming moves past it.
SKEL_API std::optional<std::string> skel_ui_peek_line();
SKEL_API void skel_ui_consume_line();

// Asks a question on the terminal (console mode); the answer line, or nothing at end of input.
SKEL_API std::optional<std::string> skel_ui_console_ask(const std::string &prompt);

// Appends one line to the SKELVANE_UI_LOG file (when set), escaping each field.
SKEL_API void skel_ui_log(const std::vector<std::string> &fields);

// Forgets the cached provider choice and script position (tests change the environment).
SKEL_API void skel_ui_reset();
