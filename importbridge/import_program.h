// Finding the import program and building its command line.
#pragma once
#include <string>

constexpr const char *import_program_name = "pellimax.exe";

// The folder with a backslash appended unless it ends with one.
std::string with_backslash(const std::string &folder);

// Whether a search for exactly this path finds one entry (and the path fits).
bool program_exists(const std::string &path);

// The settings file on the Windows folder's drive: "X:\pxqrimp.ini".
std::string settings_file_path();

// Locates the program for one item: the folder in the settings file, the
// current folder, or a folder the user chooses after agreeing to look.  The
// found folder is written to the settings file.  Empty (after any message)
// when it is not found.
std::string locate_for_item();

// Locates the program for a list: the current folder, else a folder the user
// chooses starting at "C:\".  Empty (after the message) when it is not found.
std::string locate_for_list();

// Program path, " -x" result file, " -p" PN value, " -m" MC value, joined
// without separators.
std::string import_command_line(const std::string &program, const std::string &result_file, const std::string &pn,
                                 const std::string &mc);

// The short (8.3) form of a path, or the path itself when it has none.
std::string short_form(const std::string &path);
