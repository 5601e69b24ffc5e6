// Where the import program is looked for, and how it is called.
#include "import_program.h"

#include <cctype>

#include "bridge_messages.h"
#include "folder_chooser.h"
#include "item_keys.h"
#include "skelvane/active_window.h"
#include "skelvane/environment.h"
#include "skelvane/files.h"
#include "skelvane/msgbox.h"
#include "skelvane/profile.h"

namespace {

constexpr const char *settings_section = "PellimaxExe";
constexpr const char *settings_key = "Path";
constexpr const char *item_not_found = "PELLIMAX.EXE Error#0";
constexpr const char *list_not_found = "PELLIMAX.DLL Error#0";

// One argument of the command line as the program will split it.  Values
// without blanks or quotes stand as they are; others are quoted, because this
// platform's short names may still hold blanks.
std::string argument(const std::string &text)
{
    if (!text.empty() && text.find_first_of(" \t\"") == std::string::npos)
        return text;
    std::string out = "\"";
    std::size_t slashes = 0;
    for (char c : text) {
        if (c == '\\') {
            ++slashes;
            continue;
        }
        out.append(c == '"' ? slashes * 2 + 1 : slashes, '\\');
        slashes = 0;
        out += c;
    }
    out.append(slashes * 2, '\\');
    return out + "\"";
}

// The program's own name knows no escapes, only enclosing quotes.
std::string program_argument(const std::string &path)
{
    return path.find_first_of(" \t") == std::string::npos ? path : "\"" + path + "\"";
}

std::string in_folder(const std::string &folder)
{
    return with_backslash(folder) + import_program_name;
}

} // namespace

std::string with_backslash(const std::string &folder)
{
    return !folder.empty() && folder.back() == '\\' ? folder : folder + "\\";
}

bool program_exists(const std::string &path)
{
    return path.size() <= path_limit && skel_find_files(path).size() == 1;
}

std::string settings_file_path()
{
    const std::string windows = GetWindowsDirectory();
    char drive = 'C';
    if (windows.size() >= 2 && windows[1] == ':' && std::isalpha(static_cast<unsigned char>(windows[0])))
        drive = windows[0];
    return std::string(1, drive) + ":\\pxqrimp.ini";
}

std::string locate_for_item()
{
    const std::string settings = settings_file_path();
    std::string folder = GetPrivateProfileString(settings_section, settings_key, "", settings);
    bool found = !folder.empty() && program_exists(in_folder(folder));
    if (!found) {
        folder = GetCurrentDirectory();
        found = program_exists(in_folder(folder));
    }
    if (!found) {
        if (bridge_message("Pellimax.exe could not be found.\nDo you want to find this file yourself?", caption_check,
                           MB_YESNO | MB_ICONERROR) != IDYES)
            return {};
        FolderChooser chooser("", GetActiveWindow());
        if (chooser.DoModal() != IDOK || !program_exists(in_folder(chooser.GetFolder()))) {
            bridge_message(item_not_found, caption_check, MB_OK | MB_ICONERROR);
            return {};
        }
        folder = chooser.GetFolder();
    }
    WritePrivateProfileString(settings_section, settings_key, with_backslash(folder).c_str(), settings);
    return in_folder(folder);
}

std::string locate_for_list()
{
    const std::string here = in_folder(GetCurrentDirectory());
    if (program_exists(here))
        return here;
    FolderChooser chooser("C:\\", GetActiveWindow());
    if (chooser.DoModal() != IDOK || !program_exists(in_folder(chooser.GetFolder()))) {
        bridge_message(list_not_found, caption_check, MB_OK | MB_ICONERROR);
        return {};
    }
    return in_folder(chooser.GetFolder());
}

std::string import_command_line(const std::string &program, const std::string &result_file, const std::string &pn,
                                const std::string &mc)
{
    return program_argument(program) + " " + argument("-x" + result_file) + " " + argument("-p" + pn) + " " +
           argument("-m" + mc);
}

std::string short_form(const std::string &path)
{
    const std::string short_path = GetShortPathName(path);
    return short_path.empty() ? path : short_path;
}
