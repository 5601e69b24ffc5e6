// The system's open-file dialog (Explorer style, with a hook), without a screen.
//
// The dialog holds its controls by their identifiers, a current folder on the
// real file system (through the path mapping) and the focus.  A derived class
// reshapes it in OnInitDone, hears of folder changes in OnFolderChange, may
// refuse file names in OnFileNameOK and may take over the keys of its own edit
// controls.  Modal runs are answered by the process's UI provider; tests drive
// the dialog directly with Open, Type, PressKey and Click.
#pragma once
#include <string>
#include <vector>

#include "skelvane/wintypes.h"

// Documented controls of the dialog.
constexpr int FILE_NAME_LABEL_ID = 1090; // "File name:" label
constexpr int FILE_NAME_BOX_ID = 1152;   // file name box
constexpr int DIALOG_OPEN_ID = 1;        // the dialog's own Open button (IDOK)
constexpr int DIALOG_CANCEL_ID = 2;      // Cancel (IDCANCEL)

// Flags of the dialog settings.
constexpr DWORD OFN_HIDEREADONLY = 0x4;
constexpr DWORD OFN_NOCHANGEDIR = 0x8;
constexpr DWORD OFN_ENABLEHOOK = 0x20;
constexpr DWORD OFN_PATHMUSTEXIST = 0x800;
constexpr DWORD OFN_EXPLORER = 0x80000;

// Window styles and keys the dialog's users need.
constexpr DWORD WS_CHILD = 0x40000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_TABSTOP = 0x00010000;
constexpr DWORD ES_AUTOHSCROLL = 0x80;
constexpr DWORD BS_DEFPUSHBUTTON = 0x1;
constexpr DWORD WS_EX_CLIENTEDGE = 0x200;
constexpr UINT VK_BACK = 0x08;
constexpr UINT VK_TAB = 0x09;
constexpr UINT VK_RETURN = 0x0D;
constexpr UINT VK_DELETE = 0x2E;

struct skel_rect {
    int left = 0, top = 0, right = 0, bottom = 0;
};

enum class skel_control_kind { label, edit, button, list };

// One control of the dialog.
struct skel_dialog_control {
    int id = 0;
    skel_control_kind kind = skel_control_kind::label;
    std::string text;
    DWORD style = 0;
    DWORD ex_style = 0;
    skel_rect rect;
    int font = 0;
    bool visible = true;
    bool frame_changed = false; // its frame was recomputed after a style change
    int sel_start = 0;          // edit controls: the selection, caret at sel_end
    int sel_end = 0;
    int caret_scrolls = 0;      // how often the caret was scrolled into view
};

// Receives the commands sent to the dialog's frame window once a derived class
// has taken it over (buttons of its own report their clicks here).
class SKEL_API skel_frame_handler {
public:
    virtual ~skel_frame_handler() = default;
    // True when the command was handled.
    virtual bool OnCommand(int control_id) = 0;
};

class SKEL_API CFileDialog {
public:
    // The dialog settings.
    struct settings {
        bool open = true;
        DWORD flags = 0;
        std::string title;
        std::string filter; // "Name|pattern|..." as the class library writes it
        std::string initial_folder;
    };

    CFileDialog(bool open, DWORD flags, const std::string &filter, HWND owner);
    virtual ~CFileDialog();
    CFileDialog(const CFileDialog &) = delete;
    CFileDialog &operator=(const CFileDialog &) = delete;

    settings m_ofn;

    // Runs until the dialog ends, answered by the UI provider; IDOK or IDCANCEL.
    virtual int DoModal();

    // --- What a user does (also used by DoModal) ---
    void Open();                    // shows the dialog
    bool IsOpen() const;
    bool IsEnded() const;
    int Result() const;             // IDOK, IDCANCEL, 0 while it runs
    void Type(char ch);             // a character into the focused control
    void TypeText(const std::string &text);
    void PressKey(UINT vk);         // a key going down in the focused control
    void Click(int control_id);     // left button down and up on a button
    void BrowseTo(const std::string &folder); // double-click on a folder of the list

    // What the scripted or console user's answer "folder PATH" does; by default
    // the path goes into the file name box and the Open button is pressed.
    virtual void AnswerFolder(const std::string &path);

    // --- Requests ---
    std::string GetFolderPath() const;                  // the current folder
    std::string GetFileName() const;                    // the file accepted
    void SetControlText(int control_id, const std::string &text);
    void HideControl(int control_id);
    skel_dialog_control *GetDlgItem(int control_id);
    const skel_dialog_control *GetDlgItem(int control_id) const;
    skel_dialog_control &CreateControl(int control_id, skel_control_kind kind, const std::string &text, DWORD style,
                                       const skel_rect &rect, int font);
    void SetTabOrderAfter(int control_id, int after_id);
    std::vector<int> TabOrder() const;
    void SetDefID(int control_id);
    int GetDefID() const;
    void SetFocus(int control_id);
    int GetFocus() const;
    void CenterWindow();
    bool IsCentred() const;
    HWND GetOwner() const;
    void SubclassFrame(skel_frame_handler *handler);
    void EndDialog(int result);

    // The edit control's own handling of a character or key.
    void DefaultEditChar(int control_id, char ch);
    void DefaultEditKeyDown(int control_id, UINT vk);

protected:
    virtual void OnInitDone() {}
    virtual void OnFolderChange() {}
    // Nonzero keeps the dialog open although the file name would do.
    virtual BOOL OnFileNameOK() { return FALSE; }
    // A derived class that took over an edit control's keys: true when it
    // handled the character or key itself (it may call the Default functions).
    virtual bool OnEditChar(int control_id, char ch);
    virtual bool OnEditKeyDown(int control_id, UINT vk);

private:
    void press_open();
    void change_folder(const std::string &folder);
    void change_current_folder(const std::string &folder);
    void dialog_key(char ch);
    std::string initial_folder() const;

    HWND owner_;
    std::vector<skel_dialog_control> controls_; // in tab order
    std::string folder_;
    std::string file_name_;
    int focus_ = 0;
    int default_id_ = DIALOG_OPEN_ID;
    bool open_ = false;
    bool centred_ = false;
    int result_ = 0;
    skel_frame_handler *frame_ = nullptr;
};

// Canonical Windows spelling of an existing path (drive letter in upper case,
// each name as on disk, "." and ".." resolved); empty when it does not exist.
SKEL_API std::string skel_existing_windows_path(const std::string &path);
