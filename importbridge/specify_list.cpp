// HBSpecifyList: the import program again and again through a batch file, each
// productive pass appended to the host's list file.
#include <cstdio>
#include <string>

#include "bridge_files.h"
#include "bridge_messages.h"
#include "import_program.h"
#include "item_keys.h"
#include "pellimax.h"
#include "skelvane/environment.h"
#include "skelvane/files.h"
#include "skelvane/msgbox.h"
#include "skelvane/paths.h"
#include "skelvane/process.h"

namespace {

constexpr const char *batch_file = "c:\\pxqrtemp.bat";
constexpr const char *list_failed = "Could not open temp file for exporting new items";
constexpr const char *temp_failed = "Could not create temp file";
constexpr const char *temp_unreadable = "Unable to open temp file";

bool empty_file(const std::string &path)
{
    std::FILE *f = skel_fopen(path.c_str(), "w");
    return f && std::fclose(f) == 0;
}

// A new empty temporary file, or empty when none can be made.
std::string make_temp_file()
{
    const std::string folder = GetTempPath();
    std::string name;
    if (folder.empty() || GetTempFileName(folder, "pso", &name) == 0)
        return {};
    if (name.size() > path_limit || !empty_file(name)) {
        skel_remove(name.c_str());
        return {};
    }
    return name;
}

bool write_batch_file(const std::string &command_line)
{
    // A line end inside a path would make a batch line of its own.
    if (command_line.find_first_of("\r\n") != std::string::npos)
        return false;
    std::FILE *out = skel_fopen(batch_file, "w");
    if (!out)
        return false;
    const bool written = std::fprintf(out, "ECHO OFF\n%s\nCLS\n", command_line.c_str()) > 0;
    return (std::fclose(out) == 0) && written;
}

void run_batch_file()
{
    // A batch file that cannot start leaves the temporary file empty, which
    // the pass then reports as nothing added.
    if (skel_process *process = skel_start_process(batch_file)) {
        skel_wait_process(process, -1);
        skel_close_process(process);
    }
}

bool pass_produced(const std::string &temp)
{
    std::FILE *in = open_regular_file(temp);
    if (!in)
        return false;
    char buffer[512];
    const std::size_t got = std::fread(buffer, 1, 511, in);
    std::fclose(in);
    return got > 0;
}

// Appends the pass's text and one line end to the list; false after the message.
bool append_pass(const std::string &list, const std::string &temp)
{
    std::FILE *out = skel_fopen(list.c_str(), "a");
    if (!out) {
        bridge_message(list_failed, caption_failed, MB_OK);
        return false;
    }
    std::FILE *in = open_regular_file(temp);
    if (!in) {
        std::fclose(out);
        bridge_message(temp_unreadable, caption_failed, MB_OK | MB_ICONERROR);
        return false;
    }
    // Items that did not reach the list (a full disk, a failed read) are
    // reported, never counted as added.
    char buffer[4096];
    std::size_t got;
    bool ok = true;
    while (ok && (got = std::fread(buffer, 1, sizeof buffer, in)) > 0)
        ok = std::fwrite(buffer, 1, got, out) == got;
    ok = ok && std::ferror(in) == 0 && std::fputc('\n', out) != EOF;
    std::fclose(in);
    ok = std::fclose(out) == 0 && ok;
    if (!ok)
        bridge_message(list_failed, caption_failed, MB_OK);
    return ok;
}

} // namespace

extern "C" int HBSpecifyList(const char *list_file)
{
    const std::string list = list_file ? list_file : "";
    if (list.size() > path_limit || !empty_file(list)) {
        bridge_message(list_failed, caption_failed, MB_OK);
        return 0;
    }
    const std::string temp = make_temp_file();
    if (temp.empty()) {
        bridge_message(temp_failed, caption_failed, MB_OK);
        return 0;
    }
    const std::string program = locate_for_list();
    if (program.empty())
        return 0;
    const std::string command = import_command_line(short_form(program), short_form(temp), "", "");
    if (!write_batch_file(command)) {
        bridge_message("PELLIMAX.DLL Error#1", caption_check, MB_OK | MB_ICONERROR);
        return 0;
    }
    int productive = 0;
    for (;;) {
        run_batch_file();
        if (pass_produced(temp)) {
            ++productive;
            if (!append_pass(list, temp)) {
                skel_remove(temp.c_str());
                return 0;
            }
        }
        if (bridge_message("Would you like to append more new items to the proposal?", caption_append,
                           MB_YESNO | MB_ICONQUESTION) != IDYES) {
            skel_remove(temp.c_str());
            return productive > 0 ? 1 : 0;
        }
        // Stale items must not be collected twice.
        if (!empty_file(temp)) {
            bridge_message(temp_unreadable, caption_failed, MB_OK | MB_ICONERROR);
            return 0;
        }
    }
}
