// The folder chooser: the open-file dialog reshaped so that the user picks,
// types or creates a folder instead of a file.
#pragma once
#include <string>

#include "skelvane/folder_dialog.h"

constexpr int FOLDER_BOX_ID = 181;
constexpr int FOLDER_OPEN_ID = 182;

class FolderChooser : public CFileDialog {
public:
    // An empty initial folder lets the dialog start where it likes.
    FolderChooser(const std::string &initial_folder, HWND owner);

    int DoModal() override;
    void AnswerFolder(const std::string &path) override;

    // The folder the dialog showed last, with a trailing backslash.
    std::string GetFolder() const;

protected:
    void OnInitDone() override;
    void OnFolderChange() override;
    BOOL OnFileNameOK() override;
    bool OnEditChar(int control_id, char ch) override;
    bool OnEditKeyDown(int control_id, UINT vk) override;

private:
    // Takes the frame window's commands: the clicks of our own Open button.
    class frame_wrapper : public skel_frame_handler {
    public:
        explicit frame_wrapper(FolderChooser &chooser) : chooser_(chooser) {}
        bool OnCommand(int control_id) override;

    private:
        FolderChooser &chooser_;
    };

    void OpenClicked();
    void EnterPressed();
    void AfterDelete();
    void AfterCharacter(char ch);
    void Complete(const std::string &text, int start, int end);
    void NavigateTo(const std::string &text);
    void Accept(const std::string &text);
    void GoThere(const std::string &text);
    bool Complain(const std::string &text, const char *message);
    bool AskCreate(const std::string &text);
    std::string BoxText() const;
    void SetBoxText(const std::string &text);
    void CaretToEnd();

    std::string m_folder;
    std::string m_initial;
    frame_wrapper m_frame;
};

// Creates every missing level of a folder path; failures are silent.
void CreateFolderPath(const std::string &path);
