// The folder chooser's own logic: setting the dialog up, following its folder,
// the folder box's keys and completion, and the checks of its own Open button.
#include "folder_chooser.h"

#include <strings.h>

#include <cctype>

#include "skelvane/files.h"
#include "skelvane/msgbox.h"
#include "skelvane/ui.h"

namespace {

constexpr const char *dialog_title = "Find and Select Folder with Pellimax.exe file";
constexpr const char *box_caption = "PELLIMAX";
constexpr DWORD folder_box_style = 0x50010080;  // child, visible, tab stop, auto-scroll
constexpr DWORD open_button_style = 0x50010001; // child, visible, tab stop, default button

bool is_letter(char c)
{
    return std::isalpha(static_cast<unsigned char>(c)) != 0;
}

bool is_drive_root(const std::string &t)
{
    return t.size() == 3 && is_letter(t[0]) && t[1] == ':' && t[2] == '\\';
}

// Whether the drive of a letter can be used: its root is neither of an
// unknown type nor missing.
bool drive_check(char letter)
{
    const UINT type = GetDriveType(std::string(1, letter) + ":\\");
    return type != DRIVE_UNKNOWN && type != DRIVE_NO_ROOT_DIR;
}

bool is_folder(const std::string &path)
{
    const DWORD attributes = GetFileAttributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool equal_nocase(const std::string &a, const std::string &b)
{
    return ::strcasecmp(a.c_str(), b.c_str()) == 0;
}

// "\\server" or "\\server\share": a network name that is no folder.
bool names_server_or_share(const std::string &t)
{
    if (t.size() < 2 || t[0] != '\\' || t[1] != '\\')
        return false;
    const std::size_t end_of_server = t.find('\\', 2);
    return end_of_server == std::string::npos || t.find('\\', end_of_server + 1) == std::string::npos;
}

// Length of the last name of a typed path: after its last backslash, else its
// last "/", else its last ":", else the whole text.
std::size_t last_part_length(const std::string &t)
{
    for (char separator : {'\\', '/', ':'}) {
        const std::size_t at = t.rfind(separator);
        if (at != std::string::npos)
            return t.size() - at - 1;
    }
    return t.size();
}

} // namespace

FolderChooser::FolderChooser(const std::string &initial_folder, HWND owner)
    : CFileDialog(true, OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_ENABLEHOOK, "All Files (*.*)|*.*||", owner),
      m_folder(initial_folder), m_initial(initial_folder), m_frame(*this)
{
    m_ofn.title = dialog_title;
    m_ofn.initial_folder = initial_folder;
}

int FolderChooser::DoModal()
{
    const int result = CFileDialog::DoModal();
    skel_ui_log({"folder", m_ofn.title, m_initial, result == IDOK ? m_folder : std::string("CANCEL")});
    return result;
}

void FolderChooser::AnswerFolder(const std::string &path)
{
    SetBoxText(path);
    CaretToEnd();
    Click(FOLDER_OPEN_ID);
}

std::string FolderChooser::GetFolder() const
{
    return m_folder;
}

void FolderChooser::OnInitDone()
{
    SetControlText(FILE_NAME_LABEL_ID, "Folder:");
    SubclassFrame(&m_frame);

    const skel_dialog_control *name_box = GetDlgItem(FILE_NAME_BOX_ID);
    const skel_dialog_control *dialog_open = GetDlgItem(DIALOG_OPEN_ID);
    const skel_rect box_place = name_box ? name_box->rect : skel_rect{};
    const int box_font = name_box ? name_box->font : 0;
    const skel_rect open_place = dialog_open ? dialog_open->rect : skel_rect{};
    const int open_font = dialog_open ? dialog_open->font : 0;

    skel_dialog_control &box = CreateControl(FOLDER_BOX_ID, skel_control_kind::edit, m_initial, folder_box_style,
                                             box_place, box_font);
    box.ex_style |= WS_EX_CLIENTEDGE;
    box.frame_changed = true;
    SetTabOrderAfter(FOLDER_BOX_ID, FILE_NAME_LABEL_ID);

    CreateControl(FOLDER_OPEN_ID, skel_control_kind::button, "Open", open_button_style, open_place, open_font);
    SetTabOrderAfter(FOLDER_OPEN_ID, FOLDER_BOX_ID);
    SetTabOrderAfter(DIALOG_CANCEL_ID, FOLDER_OPEN_ID);

    if (skel_dialog_control *own = GetDlgItem(DIALOG_OPEN_ID))
        own->style &= ~BS_DEFPUSHBUTTON;
    SetDefID(FOLDER_OPEN_ID);

    HideControl(DIALOG_OPEN_ID);
    HideControl(FILE_NAME_BOX_ID);
    CenterWindow();
}

void FolderChooser::OnFolderChange()
{
    m_folder = GetFolderPath();
    if (!m_folder.empty() && m_folder.back() != '\\')
        m_folder += '\\';
    SetBoxText(m_folder);
    CaretToEnd();
    SetFocus(FOLDER_BOX_ID);
}

BOOL FolderChooser::OnFileNameOK()
{
    return TRUE; // a file never ends the dialog
}

bool FolderChooser::frame_wrapper::OnCommand(int control_id)
{
    if (control_id != FOLDER_OPEN_ID)
        return false;
    chooser_.OpenClicked();
    return true;
}

std::string FolderChooser::BoxText() const
{
    const skel_dialog_control *box = GetDlgItem(FOLDER_BOX_ID);
    return box ? box->text : std::string();
}

void FolderChooser::SetBoxText(const std::string &text)
{
    SetControlText(FOLDER_BOX_ID, text);
}

void FolderChooser::CaretToEnd()
{
    if (skel_dialog_control *box = GetDlgItem(FOLDER_BOX_ID)) {
        box->sel_start = box->sel_end = static_cast<int>(box->text.size());
        ++box->caret_scrolls;
    }
}

// Makes the system dialog go to a typed folder through its hidden file name
// box and Open button; when it does not go there, the box keeps what was typed.
void FolderChooser::NavigateTo(const std::string &text)
{
    SetControlText(FILE_NAME_BOX_ID, text);
    skel_dialog_control *box = GetDlgItem(FOLDER_BOX_ID);
    if (!box)
        return;
    const std::string remembered = box->text;
    const int remembered_start = box->sel_start;
    const int remembered_end = box->sel_end;

    Click(DIALOG_OPEN_ID);

    box = GetDlgItem(FOLDER_BOX_ID);
    const std::string now = box->text;
    if (!remembered.empty() && remembered[0] != '.' && !equal_nocase(now, remembered) &&
        !equal_nocase(now, remembered + "\\")) {
        box->text = remembered;
        box->sel_start = remembered_start;
        box->sel_end = remembered_end;
    } else {
        box->sel_start = box->sel_end = static_cast<int>(box->text.size());
    }
    ++box->caret_scrolls;
}

bool FolderChooser::Complain(const std::string &text, const char *message)
{
    MessageBox(GetOwner(), (text + message).c_str(), box_caption, MB_OK);
    SetFocus(FOLDER_BOX_ID);
    return false;
}

bool FolderChooser::AskCreate(const std::string &text)
{
    const std::string question = text + "\nThis folder does not exist.\n\nDo you want to create it?";
    return MessageBox(GetOwner(), question.c_str(), box_caption, MB_YESNO) == IDYES;
}

void FolderChooser::Accept(const std::string &text)
{
    NavigateTo(text);
    EndDialog(IDOK);
}

void FolderChooser::OpenClicked()
{
    std::string t = BoxText();
    const std::size_t n = t.size();
    if (n == 2 && t[0] == '\\' && t[1] == '\\') {
        Complain(t, "\nThis is not a valid folder.");
        return;
    }
    if ((n == 2 && t[1] == ':') || (n == 3 && is_drive_root(t))) {
        if (!drive_check(t[0]))
            Complain(t, "\nThe drive is invalid.");
        else
            Accept(t);
        return;
    }
    if (n == 0 || t == "\\") {
        Accept(t);
        return;
    }
    if (t.back() == '\\')
        t.pop_back();
    const DWORD attributes = GetFileAttributes(t);
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY)
            Accept(t);
        else
            Complain(t, "\nThis is a file not a directory.");
        return;
    }
    if (t.size() >= 2 && t[1] == ':' && !drive_check(t[0])) {
        Complain(t, "\nThe drive is invalid.");
        return;
    }
    if (names_server_or_share(t)) {
        Complain(t, "\nThis is not a valid folder.");
        return;
    }
    if (!AskCreate(t)) {
        SetFocus(FOLDER_BOX_ID);
        return;
    }
    CreateFolderPath(t);
    Accept(t);
}

bool FolderChooser::OnEditChar(int control_id, char ch)
{
    if (control_id != FOLDER_BOX_ID)
        return false;
    // The box wants every key, so Tab and Enter reach it instead of the dialog.
    if (ch == '\t') {
        SetFocus(FOLDER_OPEN_ID);
    } else if (ch == '\r' || ch == '\n') {
        EnterPressed();
    } else {
        DefaultEditChar(FOLDER_BOX_ID, ch);
        AfterCharacter(ch);
    }
    return true;
}

bool FolderChooser::OnEditKeyDown(int control_id, UINT vk)
{
    if (control_id != FOLDER_BOX_ID || vk != VK_DELETE)
        return false;
    DefaultEditKeyDown(FOLDER_BOX_ID, vk);
    AfterDelete();
    return true;
}

void FolderChooser::GoThere(const std::string &text)
{
    NavigateTo(text);
    std::string shown = BoxText();
    if (shown.empty() || shown.back() != '\\') {
        shown += '\\';
        SetBoxText(shown);
    }
    CaretToEnd();
    SetFocus(FOLDER_BOX_ID);
}

void FolderChooser::EnterPressed()
{
    std::string t = BoxText();
    const bool kept_whole = t == "\\" || t == "\\\\" || is_drive_root(t);
    if (!kept_whole && !t.empty() && t.back() == '\\')
        t.pop_back();
    const bool bare_server = t.size() >= 2 && t[0] == '\\' && t[1] == '\\' && t.find('\\', 2) == std::string::npos;
    if (t.empty() || t == "\\" || bare_server || (t.size() == 2 && t[1] == ':') || is_drive_root(t)) {
        NavigateTo(t);
        SetFocus(FOLDER_BOX_ID);
        return;
    }
    if (GetFileAttributes(t) == INVALID_FILE_ATTRIBUTES) {
        const bool bad_drive = t.size() >= 2 && t[1] == ':' && !drive_check(t[0]);
        if (!bad_drive) {
            if (!AskCreate(t))
                return;
            CreateFolderPath(t);
        }
    }
    GoThere(t);
}

void FolderChooser::AfterDelete()
{
    const std::string t = BoxText();
    if (t == "\\")
        NavigateTo(t);
    else if (is_drive_root(t) && drive_check(t[0]))
        NavigateTo(t);
    else if (t != "\\\\" && !t.empty() && t.back() == '\\' && is_folder(t))
        NavigateTo(t);
    SetFocus(FOLDER_BOX_ID);
}

void FolderChooser::AfterCharacter(char ch)
{
    const skel_dialog_control *box = GetDlgItem(FOLDER_BOX_ID);
    const std::string t = box->text;
    const int start = box->sel_start;
    const int end = box->sel_end;
    if (t == "\\\\") {
        // a network name is being typed
    } else if (t == "\\") {
        NavigateTo(t);
    } else if (is_drive_root(t)) {
        if (drive_check(t[0]))
            NavigateTo(t);
    } else if (!t.empty() && t.back() == '\\') {
        if (is_folder(t))
            NavigateTo(t);
    } else if (start == static_cast<int>(t.size()) && ch != '\b') {
        Complete(t, start, end);
    }
    SetFocus(FOLDER_BOX_ID);
}

// Completes the last name of the typed path when exactly one folder begins
// with it; the added part is selected, so typing on replaces it.
void FolderChooser::Complete(const std::string &t, int start, int end)
{
    if (t.empty())
        return;
    int folders = 0;
    std::string m;
    for (const skel_find_entry &entry : skel_find_files(t + "*")) {
        if (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) {
            ++folders;
            m = entry.name;
        }
    }
    if (folders != 1)
        return;
    bool shouting = true; // no white space and no lower-case letter
    for (char c : m)
        if (std::isspace(static_cast<unsigned char>(c)) || std::islower(static_cast<unsigned char>(c)))
            shouting = false;
    if (shouting)
        for (std::size_t i = 1; i < m.size(); ++i)
            m[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(m[i])));
    const std::size_t p = last_part_length(t);
    if (p > m.size())
        return; // a wildcard matched a shorter name: nothing to add
    if (p > 0 && t.back() != m[p - 1]) {
        const bool upper = std::isupper(static_cast<unsigned char>(t.back())) != 0;
        for (char &c : m)
            c = static_cast<char>(upper ? std::toupper(static_cast<unsigned char>(c))
                                        : std::tolower(static_cast<unsigned char>(c)));
    }
    skel_dialog_control *box = GetDlgItem(FOLDER_BOX_ID);
    box->text = t + m.substr(p);
    box->sel_start = start;
    box->sel_end = end + static_cast<int>(m.size() - p);
    ++box->caret_scrolls;
}
