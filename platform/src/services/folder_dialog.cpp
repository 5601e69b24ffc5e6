// The open-file dialog without a screen: controls, current folder, focus and
// the Open press over the real file system; modal runs answered by the UI provider.
#include "skelvane/folder_dialog.h"

#include <strings.h>

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "folder_provider.h"
#include "skelvane/files.h"
#include "skelvane/msgbox.h"
#include "skelvane/ui.h"

namespace {

bool is_separator(char c)
{
    return c == '\\' || c == '/';
}

bool has_drive(const std::string &s)
{
    return s.size() >= 2 && s[1] == ':' && std::isalpha(static_cast<unsigned char>(s[0]));
}

std::vector<std::string> components(const std::string &s)
{
    std::vector<std::string> parts;
    std::string part;
    for (char c : s) {
        if (is_separator(c)) {
            if (!part.empty())
                parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty())
        parts.push_back(part);
    return parts;
}

// The entry of a folder spelt as on disk, an exact match preferred.
bool disk_name(const std::string &folder, const std::string &name, std::string &found)
{
    bool any = false;
    for (const skel_find_entry &e : skel_find_files(folder + "*")) {
        if (e.name == name) {
            found = e.name;
            return true;
        }
        if (!any && ::strcasecmp(e.name.c_str(), name.c_str()) == 0) {
            found = e.name;
            any = true;
        }
    }
    return any;
}

std::string trimmed_lower(const std::string &s)
{
    std::string out;
    for (char c : s)
        if (!std::isspace(static_cast<unsigned char>(c)))
            out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

} // namespace

std::string skel_existing_windows_path(const std::string &path)
{
    if (!has_drive(path))
        return {};
    const std::string drive(1, static_cast<char>(std::toupper(static_cast<unsigned char>(path[0]))));
    if (GetDriveType(drive + ":\\") == DRIVE_NO_ROOT_DIR)
        return {};
    std::vector<std::string> resolved;
    for (const std::string &part : components(path.substr(2))) {
        if (part == ".")
            continue;
        if (part == "..") {
            if (!resolved.empty())
                resolved.pop_back();
            continue;
        }
        if (part.find_first_of("*?") != std::string::npos)
            return {};
        std::string folder = drive + ":\\";
        for (const std::string &r : resolved)
            folder += r + "\\";
        std::string name;
        if (!disk_name(folder, part, name))
            return {};
        resolved.push_back(name);
    }
    std::string out = drive + ":\\";
    for (std::size_t i = 0; i < resolved.size(); ++i)
        out += (i ? "\\" : "") + resolved[i];
    return out;
}

CFileDialog::CFileDialog(bool open, DWORD flags, const std::string &filter, HWND owner) : owner_(owner)
{
    m_ofn.open = open;
    m_ofn.flags = flags | OFN_EXPLORER;
    m_ofn.filter = filter;
}

CFileDialog::~CFileDialog() = default;

std::string CFileDialog::initial_folder() const
{
    if (!m_ofn.initial_folder.empty()) {
        std::string start = m_ofn.initial_folder;
        if (!has_drive(start) && is_separator(start[0]) && !(start.size() > 1 && is_separator(start[1])))
            start = "C:" + start;
        std::string found = skel_existing_windows_path(start);
        if (!found.empty() && (GetFileAttributes(found) & FILE_ATTRIBUTE_DIRECTORY))
            return found;
    }
    const std::string current = GetCurrentDirectory();
    if (has_drive(current))
        return current;
    return "C:\\";
}

void CFileDialog::Open()
{
    controls_.clear();
    controls_.push_back({FILE_NAME_LABEL_ID, skel_control_kind::label, "File &name:", WS_CHILD | WS_VISIBLE,
                         0, {8, 290, 80, 304}, 1});
    controls_.push_back({FILE_NAME_BOX_ID, skel_control_kind::edit, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL,
                         WS_EX_CLIENTEDGE, {84, 288, 330, 308}, 1});
    controls_.push_back({DIALOG_OPEN_ID, skel_control_kind::button, "&Open",
                         WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, {340, 288, 415, 311}, 2});
    controls_.push_back({DIALOG_CANCEL_ID, skel_control_kind::button, "Cancel", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0,
                         {340, 318, 415, 341}, 2});
    change_current_folder(initial_folder());
    file_name_.clear();
    focus_ = FILE_NAME_BOX_ID;
    default_id_ = DIALOG_OPEN_ID;
    frame_ = nullptr;
    centred_ = false;
    result_ = 0;
    open_ = true;
    OnInitDone();
    OnFolderChange();
}

bool CFileDialog::IsOpen() const
{
    return open_;
}

bool CFileDialog::IsEnded() const
{
    return result_ != 0;
}

int CFileDialog::Result() const
{
    return result_;
}

void CFileDialog::EndDialog(int result)
{
    if (!open_)
        return;
    open_ = false;
    result_ = result;
}

int CFileDialog::DoModal()
{
    Open();
    const std::string title = m_ofn.title;
    if (skelvane_folder_dialog_fn host = skel_host_folder_dialog_provider()) {
        char answer[1024];
        while (open_) {
            answer[0] = '\0';
            if (!host(owner_, title.c_str(), folder_.c_str(), answer, sizeof answer)) {
                EndDialog(IDCANCEL);
                break;
            }
            answer[sizeof answer - 1] = '\0';
            AnswerFolder(answer);
        }
        return result_;
    }
    while (open_) {
        const skel_ui_mode mode = skel_ui_current_mode();
        if (mode == skel_ui_mode::console) {
            const std::optional<std::string> line =
                skel_ui_console_ask("[" + title + "] folder (now " + folder_ + "; end of input cancels): ");
            if (!line) {
                EndDialog(IDCANCEL);
                break;
            }
            AnswerFolder(*line);
            continue;
        }
        if (mode == skel_ui_mode::script) {
            if (const std::optional<std::string> line = skel_ui_peek_line()) {
                if (line->starts_with("folder ") || *line == "folder") {
                    skel_ui_consume_line();
                    AnswerFolder(line->size() > 7 ? line->substr(7) : std::string());
                    continue;
                }
                if (trimmed_lower(*line) == "cancel") {
                    skel_ui_consume_line();
                    EndDialog(IDCANCEL);
                    break;
                }
            }
        }
        // Nobody to answer: a folder dialog is declined.
        std::fprintf(stderr, "[%s] folder dialog at %s: Cancel\n", title.c_str(), folder_.c_str());
        EndDialog(IDCANCEL);
    }
    return result_;
}

void CFileDialog::AnswerFolder(const std::string &path)
{
    SetControlText(FILE_NAME_BOX_ID, path);
    Click(DIALOG_OPEN_ID);
}

void CFileDialog::Type(char ch)
{
    if (!open_)
        return;
    skel_dialog_control *c = GetDlgItem(focus_);
    if (c && c->kind == skel_control_kind::edit && OnEditChar(c->id, ch))
        return;
    if (ch == '\t' || ch == '\r' || ch == 27) {
        dialog_key(ch);
        return;
    }
    if (c && c->kind == skel_control_kind::edit)
        DefaultEditChar(c->id, ch);
    else if (c && c->kind == skel_control_kind::button && ch == ' ')
        Click(c->id);
}

void CFileDialog::TypeText(const std::string &text)
{
    for (char ch : text)
        Type(ch);
}

// Keys the dialog manager handles when the control does not want them.
void CFileDialog::dialog_key(char ch)
{
    if (ch == 27) {
        Click(DIALOG_CANCEL_ID);
    } else if (ch == '\r') {
        const skel_dialog_control *c = GetDlgItem(focus_);
        Click(c && c->kind == skel_control_kind::button ? c->id : default_id_);
    } else {
        const std::vector<int> order = TabOrder();
        auto at = std::find(order.begin(), order.end(), focus_);
        for (std::size_t step = 1; step <= order.size(); ++step) {
            const std::size_t from = at == order.end() ? 0 : static_cast<std::size_t>(at - order.begin());
            const skel_dialog_control *next = GetDlgItem(order[(from + step) % order.size()]);
            if (next && next->visible && (next->style & WS_TABSTOP)) {
                SetFocus(next->id);
                break;
            }
        }
    }
}

void CFileDialog::PressKey(UINT vk)
{
    if (!open_)
        return;
    skel_dialog_control *c = GetDlgItem(focus_);
    if (c && c->kind == skel_control_kind::edit && !OnEditKeyDown(c->id, vk))
        DefaultEditKeyDown(c->id, vk);
}

bool CFileDialog::OnEditChar(int, char)
{
    return false;
}

bool CFileDialog::OnEditKeyDown(int, UINT)
{
    return false;
}

void CFileDialog::DefaultEditChar(int control_id, char ch)
{
    skel_dialog_control *c = GetDlgItem(control_id);
    if (!c || c->kind != skel_control_kind::edit)
        return;
    const int length = static_cast<int>(c->text.size());
    int start = std::clamp(std::min(c->sel_start, c->sel_end), 0, length);
    int end = std::clamp(std::max(c->sel_start, c->sel_end), 0, length);
    if (ch == '\b') {
        if (start == end && start > 0)
            --start;
        c->text.erase(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start));
        c->sel_start = c->sel_end = start;
        return;
    }
    if (static_cast<unsigned char>(ch) < 0x20)
        return; // an edit box takes no other control characters
    c->text.replace(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start), 1, ch);
    c->sel_start = c->sel_end = start + 1;
}

void CFileDialog::DefaultEditKeyDown(int control_id, UINT vk)
{
    skel_dialog_control *c = GetDlgItem(control_id);
    if (!c || c->kind != skel_control_kind::edit || vk != VK_DELETE)
        return;
    const int length = static_cast<int>(c->text.size());
    const int start = std::clamp(std::min(c->sel_start, c->sel_end), 0, length);
    int end = std::clamp(std::max(c->sel_start, c->sel_end), 0, length);
    if (start == end && end < length)
        ++end;
    c->text.erase(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start));
    c->sel_start = c->sel_end = start;
}

void CFileDialog::Click(int control_id)
{
    if (!open_)
        return;
    if (control_id == DIALOG_OPEN_ID)
        press_open();
    else if (control_id == DIALOG_CANCEL_ID)
        EndDialog(IDCANCEL);
    else if (frame_)
        frame_->OnCommand(control_id);
}

void CFileDialog::BrowseTo(const std::string &folder)
{
    if (!open_)
        return;
    const std::string found = skel_existing_windows_path(folder);
    if (!found.empty() && (GetFileAttributes(found) & FILE_ATTRIBUTE_DIRECTORY))
        change_folder(found);
}

// What the dialog does with the file name box when Open is pressed: go to a
// folder, or offer a file for acceptance.
void CFileDialog::press_open()
{
    const skel_dialog_control *box = GetDlgItem(FILE_NAME_BOX_ID);
    const std::string text = box ? box->text : std::string();
    if (text.empty() || text.find_first_of("*?\"<>|") != std::string::npos)
        return;
    std::string target;
    if (text.size() >= 2 && is_separator(text[0]) && is_separator(text[1]))
        return; // no servers here
    if (has_drive(text))
        target = text.substr(0, 2) + "\\" + text.substr(2);
    else if (is_separator(text[0]))
        target = folder_.substr(0, 2) + text;
    else
        target = folder_ + (is_separator(folder_.back()) ? "" : "\\") + text;
    const std::string found = skel_existing_windows_path(target);
    if (found.empty())
        return;
    if (GetFileAttributes(found) & FILE_ATTRIBUTE_DIRECTORY) {
        SetControlText(FILE_NAME_BOX_ID, "");
        change_folder(found);
        return;
    }
    file_name_ = found;
    if (!OnFileNameOK())
        EndDialog(IDOK);
}

void CFileDialog::change_folder(const std::string &folder)
{
    change_current_folder(folder);
    OnFolderChange();
}

// Like the system's dialog, browsing moves the process's current folder along,
// so relative names typed afterwards count from the folder shown.
void CFileDialog::change_current_folder(const std::string &folder)
{
    folder_ = folder;
    if (!(m_ofn.flags & OFN_NOCHANGEDIR))
        SetCurrentDirectory(folder_);
}

std::string CFileDialog::GetFolderPath() const
{
    return folder_;
}

std::string CFileDialog::GetFileName() const
{
    return file_name_;
}

void CFileDialog::SetControlText(int control_id, const std::string &text)
{
    if (skel_dialog_control *c = GetDlgItem(control_id)) {
        c->text = text;
        c->sel_start = c->sel_end = 0;
    }
}

void CFileDialog::HideControl(int control_id)
{
    if (skel_dialog_control *c = GetDlgItem(control_id)) {
        c->visible = false;
        c->style &= ~WS_VISIBLE;
        if (focus_ == control_id)
            focus_ = 0;
    }
}

skel_dialog_control *CFileDialog::GetDlgItem(int control_id)
{
    for (skel_dialog_control &c : controls_)
        if (c.id == control_id)
            return &c;
    return nullptr;
}

const skel_dialog_control *CFileDialog::GetDlgItem(int control_id) const
{
    for (const skel_dialog_control &c : controls_)
        if (c.id == control_id)
            return &c;
    return nullptr;
}

skel_dialog_control &CFileDialog::CreateControl(int control_id, skel_control_kind kind, const std::string &text,
                                                DWORD style, const skel_rect &rect, int font)
{
    skel_dialog_control c;
    c.id = control_id;
    c.kind = kind;
    c.text = text;
    c.style = style;
    c.rect = rect;
    c.font = font;
    c.visible = (style & WS_VISIBLE) != 0;
    controls_.push_back(c);
    return controls_.back();
}

void CFileDialog::SetTabOrderAfter(int control_id, int after_id)
{
    auto moving = std::find_if(controls_.begin(), controls_.end(), [&](const auto &c) { return c.id == control_id; });
    if (moving == controls_.end() || control_id == after_id)
        return;
    skel_dialog_control c = *moving;
    controls_.erase(moving);
    auto after = std::find_if(controls_.begin(), controls_.end(), [&](const auto &x) { return x.id == after_id; });
    controls_.insert(after == controls_.end() ? controls_.begin() : after + 1, c);
}

std::vector<int> CFileDialog::TabOrder() const
{
    std::vector<int> order;
    for (const skel_dialog_control &c : controls_)
        order.push_back(c.id);
    return order;
}

void CFileDialog::SetDefID(int control_id)
{
    default_id_ = control_id;
}

int CFileDialog::GetDefID() const
{
    return default_id_;
}

void CFileDialog::SetFocus(int control_id)
{
    focus_ = control_id;
}

int CFileDialog::GetFocus() const
{
    return focus_;
}

void CFileDialog::CenterWindow()
{
    centred_ = true;
}

bool CFileDialog::IsCentred() const
{
    return centred_;
}

HWND CFileDialog::GetOwner() const
{
    return owner_;
}

void CFileDialog::SubclassFrame(skel_frame_handler *handler)
{
    frame_ = handler;
}
