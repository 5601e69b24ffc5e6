// HBSpecifyItem: one item through the import program, checked against what the
// host asked for.
#include <cstdio>
#include <string>

#include "bridge_files.h"
#include "bridge_messages.h"
#include "import_program.h"
#include "item_keys.h"
#include "pellimax.h"
#include "skelvane/msgbox.h"
#include "skelvane/process.h"

namespace {

constexpr DWORD ERROR_FILENAME_EXCED_RANGE = 206;

// The host's keys; false (after the message) when the key file is unusable.
bool read_key_file(const std::string &path, item_keys &keys)
{
    std::FILE *in = path.size() <= path_limit ? open_regular_file(path) : nullptr;
    if (in) {
        keys = read_item_keys(in);
        std::fclose(in);
        // Values beyond the agreed lengths would ask for another item than
        // the host meant, so they are refused rather than cut.
        if (item_keys_fit(keys))
            return true;
    }
    bridge_message("Unable To Open Import File For PELLIMAX.DLL", caption_check, MB_OK | MB_ICONERROR);
    return false;
}

bool run_program(const std::string &command_line)
{
    DWORD error = 0;
    skel_process *process = skel_start_process(command_line, "", &error);
    if (!process) {
        char text[64];
        std::snprintf(text, sizeof text, "CreateProcess failed (%d).\n", static_cast<int>(error));
        bridge_message(text, caption_os, MB_OK | MB_ICONERROR);
        return false;
    }
    skel_wait_process(process, -1);
    skel_close_process(process);
    return true;
}

int check_result(const std::string &result_file, const item_keys &asked)
{
    std::FILE *in = open_regular_file(result_file);
    if (!in)
        return 0;
    char first[128];
    if (!std::fgets(first, sizeof first, in)) {
        std::fclose(in);
        return 0;
    }
    if (asked.pn.empty() && asked.mc.empty()) {
        std::fclose(in);
        return 1;
    }
    std::rewind(in);
    const item_keys got = read_item_keys(in);
    std::fclose(in);
    if ((asked.pn.empty() || asked.pn == got.pn) && (asked.mc.empty() || asked.mc == got.mc))
        return 1;
    return bridge_message("Click Yes to complete the import process into Korvane!\nor No to abort.", caption_verify,
                          MB_YESNO | MB_ICONQUESTION) == IDYES
               ? 1
               : 0;
}

} // namespace

extern "C" int HBSpecifyItem(const char *result_file, const char *item_key_file)
{
    const std::string result = result_file ? result_file : "";
    item_keys asked;
    if (!read_key_file(item_key_file ? item_key_file : "", asked))
        return 0;
    const std::string program = locate_for_item();
    if (program.empty())
        return 0;
    if (result.size() > path_limit) {
        // Such a name cannot be handed on; the system would refuse it alike.
        char text[64];
        std::snprintf(text, sizeof text, "CreateProcess failed (%d).\n", static_cast<int>(ERROR_FILENAME_EXCED_RANGE));
        bridge_message(text, caption_os, MB_OK | MB_ICONERROR);
        return 0;
    }
    const std::string command = import_command_line(short_form(program), short_form(result), asked.pn, asked.mc);
    if (!run_program(command))
        return 0;
    return check_result(result, asked);
}
