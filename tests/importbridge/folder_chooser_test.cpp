#include <gtest/gtest.h>

#include "bridge_fixture.h"
#include "folder_chooser.h"
#include "skelvane/msgbox.h"

namespace {

class FolderChooserTest : public bridge_test {
protected:
    void SetUp() override
    {
        bridge_test::SetUp();
        folder("Tools");
        folder("WINNT");
        drive_.write("Tools/readme.txt", "x");
    }

    std::string box() const { return chooser_.GetDlgItem(FOLDER_BOX_ID)->text; }
    std::pair<int, int> selection() const
    {
        const skel_dialog_control *c = chooser_.GetDlgItem(FOLDER_BOX_ID);
        return {c->sel_start, c->sel_end};
    }
    // Puts text into the box with the caret at its end.
    void put(const std::string &text)
    {
        chooser_.SetControlText(FOLDER_BOX_ID, text);
        skel_dialog_control *c = chooser_.GetDlgItem(FOLDER_BOX_ID);
        c->sel_start = c->sel_end = static_cast<int>(text.size());
        chooser_.SetFocus(FOLDER_BOX_ID);
    }
    void open_with(const std::string &text)
    {
        put(text);
        chooser_.Click(FOLDER_OPEN_ID);
    }
    std::string last_box() const
    {
        const auto lines = shown();
        return lines.empty() ? std::string() : lines.back();
    }

    FolderChooser chooser_{"C:\\Tools", nullptr};
};

} // namespace

TEST_F(FolderChooserTest, SetUpReshapesTheDialog)
{
    chooser_.Open();
    EXPECT_EQ(chooser_.GetDlgItem(FILE_NAME_LABEL_ID)->text, "Folder:");
    const skel_dialog_control *folder_box = chooser_.GetDlgItem(FOLDER_BOX_ID);
    ASSERT_NE(folder_box, nullptr);
    EXPECT_EQ(folder_box->style, 0x50010080u);
    EXPECT_TRUE(folder_box->ex_style & WS_EX_CLIENTEDGE);
    EXPECT_TRUE(folder_box->frame_changed);
    EXPECT_EQ(folder_box->rect.left, chooser_.GetDlgItem(FILE_NAME_BOX_ID)->rect.left);
    const skel_dialog_control *own_open = chooser_.GetDlgItem(FOLDER_OPEN_ID);
    ASSERT_NE(own_open, nullptr);
    EXPECT_EQ(own_open->style, 0x50010001u);
    EXPECT_EQ(own_open->text, "Open");
    EXPECT_FALSE(chooser_.GetDlgItem(DIALOG_OPEN_ID)->visible);
    EXPECT_FALSE(chooser_.GetDlgItem(DIALOG_OPEN_ID)->style & BS_DEFPUSHBUTTON);
    EXPECT_FALSE(chooser_.GetDlgItem(FILE_NAME_BOX_ID)->visible);
    EXPECT_EQ(chooser_.GetDefID(), FOLDER_OPEN_ID);
    const std::vector<int> order = chooser_.TabOrder();
    EXPECT_EQ(std::vector<int>(order.begin(), order.begin() + 4),
              (std::vector<int>{FILE_NAME_LABEL_ID, FOLDER_BOX_ID, FOLDER_OPEN_ID, DIALOG_CANCEL_ID}));
    EXPECT_TRUE(chooser_.IsCentred());
    EXPECT_EQ(chooser_.m_ofn.title, "Find and Select Folder with Pellimax.exe file");
    // The first folder change fills the box and gives it the focus.
    EXPECT_EQ(chooser_.GetFolder(), "C:\\Tools\\");
    EXPECT_EQ(box(), "C:\\Tools\\");
    EXPECT_EQ(selection(), std::make_pair(9, 9));
    EXPECT_EQ(chooser_.GetFocus(), FOLDER_BOX_ID);
}

TEST_F(FolderChooserTest, OpenComplainsAndStaysOpen)
{
    chooser_.Open();
    open_with("\\\\");
    EXPECT_EQ(last_box(), "box\tPELLIMAX\t\\\\\\\\\\nThis is not a valid folder.\tOK\tNONE\tAPPL\tOK");
    open_with("\\\\server");
    EXPECT_NE(last_box().find("\\\\\\\\server\\nThis is not a valid folder."), std::string::npos);
    open_with("\\\\server\\share\\");
    EXPECT_NE(last_box().find("\\\\\\\\server\\\\share\\nThis is not a valid folder."), std::string::npos);
    open_with("Q:");
    EXPECT_NE(last_box().find("\tQ:\\nThe drive is invalid."), std::string::npos);
    open_with("q:\\");
    EXPECT_NE(last_box().find("\tq:\\\\\\nThe drive is invalid."), std::string::npos);
    open_with("Q:\\deep\\er");
    EXPECT_NE(last_box().find("\tQ:\\\\deep\\\\er\\nThe drive is invalid."), std::string::npos);
    open_with("C:\\Tools\\readme.txt");
    EXPECT_NE(last_box().find("readme.txt\\nThis is a file not a directory."), std::string::npos);
    EXPECT_EQ(shown().size(), 7u);
    EXPECT_FALSE(chooser_.IsEnded());
    EXPECT_EQ(chooser_.GetFocus(), FOLDER_BOX_ID);
    EXPECT_EQ(chooser_.GetFolder(), "C:\\Tools\\");
}

TEST_F(FolderChooserTest, OpenAcceptsFoldersDrivesAndAnEmptyBox)
{
    chooser_.Open();
    open_with("");
    EXPECT_EQ(chooser_.Result(), IDOK);
    EXPECT_EQ(chooser_.GetFolder(), "C:\\Tools\\");

    FolderChooser other("", nullptr);
    other.Open();
    other.SetControlText(FOLDER_BOX_ID, "c:\\winnt\\");
    other.Click(FOLDER_OPEN_ID);
    EXPECT_EQ(other.Result(), IDOK);
    EXPECT_EQ(other.GetFolder(), "C:\\WINNT\\");

    FolderChooser root("C:\\Tools", nullptr);
    root.Open();
    root.SetControlText(FOLDER_BOX_ID, "C:");
    root.Click(FOLDER_OPEN_ID);
    EXPECT_EQ(root.GetFolder(), "C:\\");
    EXPECT_TRUE(shown().empty());
}

TEST_F(FolderChooserTest, OpenOffersToCreateAMissingFolder)
{
    answer({"no", "yes"});
    chooser_.Open();
    open_with("C:\\new\\deeper");
    EXPECT_FALSE(chooser_.IsEnded());
    EXPECT_FALSE(std::filesystem::exists(drive_.host("new")));
    EXPECT_NE(last_box().find("C:\\\\new\\\\deeper\\nThis folder does not exist.\\n\\nDo you want to create it?\tYESNO"),
              std::string::npos);
    open_with("C:\\new\\deeper\\");
    EXPECT_TRUE(std::filesystem::is_directory(drive_.host("new/deeper")));
    EXPECT_EQ(chooser_.Result(), IDOK);
    EXPECT_EQ(chooser_.GetFolder(), "C:\\new\\deeper\\");
}

TEST_F(FolderChooserTest, EnterGoesToTheTypedFolderAndTabMovesOn)
{
    chooser_.Open();
    put("c:\\winnt\\");
    chooser_.Type('\r');
    EXPECT_EQ(chooser_.GetFolder(), "C:\\WINNT\\");
    EXPECT_EQ(box(), "C:\\WINNT\\");
    EXPECT_FALSE(chooser_.IsEnded());
    EXPECT_EQ(chooser_.GetFocus(), FOLDER_BOX_ID);

    put("C:\\Tools");
    chooser_.Type('\n'); // Ctrl+Enter
    EXPECT_EQ(box(), "C:\\Tools\\");
    EXPECT_EQ(selection(), std::make_pair(9, 9));

    put("C:\\missing"); // the question is declined: nothing happens
    chooser_.Type('\r');
    EXPECT_EQ(box(), "C:\\missing");
    EXPECT_EQ(chooser_.GetFolder(), "C:\\Tools\\");

    chooser_.Type('\t');
    EXPECT_EQ(box(), "C:\\missing");
    EXPECT_EQ(chooser_.GetFocus(), FOLDER_OPEN_ID);
}

TEST_F(FolderChooserTest, EnterOnAnInvalidDriveAsksNothingAndKeepsTheText)
{
    chooser_.Open();
    put("Q:\\x");
    chooser_.Type('\r');
    EXPECT_TRUE(shown().empty());
    EXPECT_EQ(box(), "Q:\\x\\");
    EXPECT_EQ(chooser_.GetFolder(), "C:\\Tools\\");
}

TEST_F(FolderChooserTest, EnterOnRootsAndRelativeNames)
{
    chooser_.Open();
    put("c:");
    chooser_.Type('\r');
    EXPECT_EQ(chooser_.GetFolder(), "C:\\");
    EXPECT_EQ(box(), "C:\\");

    chooser_.BrowseTo("C:\\WINNT");
    put("\\\\"); // a network name being typed: nowhere to go
    chooser_.Type('\r');
    EXPECT_EQ(box(), "\\\\");
    EXPECT_EQ(chooser_.GetFolder(), "C:\\WINNT\\");

    put("..\\"); // a relative name: the box shows where the dialog went
    chooser_.Type('\r');
    EXPECT_EQ(chooser_.GetFolder(), "C:\\");
    EXPECT_EQ(box(), "C:\\");
    EXPECT_EQ(selection(), std::make_pair(3, 3));

    put("Tools"); // another relative name goes there, but the box keeps what was typed
    chooser_.Click(FOLDER_OPEN_ID);
    EXPECT_EQ(chooser_.Result(), IDOK);
    EXPECT_EQ(chooser_.GetFolder(), "C:\\Tools\\");
    EXPECT_EQ(box(), "Tools");
    EXPECT_TRUE(shown().empty());
}

TEST_F(FolderChooserTest, DeleteGoesToTheFolderTheTextNowNames)
{
    chooser_.Open();
    put("C:\\WINNT\\x");
    skel_dialog_control *c = chooser_.GetDlgItem(FOLDER_BOX_ID);
    c->sel_start = c->sel_end = 9;
    chooser_.PressKey(VK_DELETE);
    EXPECT_EQ(chooser_.GetFolder(), "C:\\WINNT\\");

    put("C:\\x");
    c->sel_start = c->sel_end = 3;
    chooser_.PressKey(VK_DELETE);
    EXPECT_EQ(chooser_.GetFolder(), "C:\\");

    put("Q:\\x"); // a drive that does not exist is not gone to
    c->sel_start = c->sel_end = 3;
    chooser_.PressKey(VK_DELETE);
    EXPECT_EQ(box(), "Q:\\");
    EXPECT_EQ(chooser_.GetFolder(), "C:\\");

    chooser_.BrowseTo("C:\\WINNT");
    put("\\\\x");
    c->sel_start = c->sel_end = 2;
    chooser_.PressKey(VK_DELETE);
    EXPECT_EQ(box(), "\\\\");
    EXPECT_EQ(chooser_.GetFolder(), "C:\\WINNT\\");
    EXPECT_EQ(chooser_.GetFocus(), FOLDER_BOX_ID);
}

TEST_F(FolderChooserTest, TypingCompletesTheOnlyMatchingFolder)
{
    chooser_.Open();
    put("C:\\");
    chooser_.Type('W');
    EXPECT_EQ(box(), "C:\\Winnt");
    EXPECT_EQ(selection(), std::make_pair(4, 8));
    chooser_.Type('i'); // typing replaces the completed part and completes again
    EXPECT_EQ(box(), "C:\\Winnt");
    EXPECT_EQ(selection(), std::make_pair(5, 8));

    put("C:\\");
    chooser_.Type('w');
    EXPECT_EQ(box(), "C:\\winnt");
    EXPECT_EQ(selection(), std::make_pair(4, 8));

    folder("Program Files");
    put("C:\\P");
    chooser_.Type('R');
    EXPECT_EQ(box(), "C:\\PROGRAM FILES");

    put("C:\\T"); // a file and a folder begin with T: only folders count
    chooser_.Type('o');
    EXPECT_EQ(box(), "C:\\Tools");
    folder("Toys");
    put("C:\\T");
    chooser_.Type('o');
    EXPECT_EQ(box(), "C:\\To");
    chooser_.Type('\b');
    EXPECT_EQ(box(), "C:\\T");
}

TEST_F(FolderChooserTest, TypingABackslashAfterAFolderGoesThere)
{
    chooser_.Open();
    put("C:\\WINNT");
    chooser_.Type('\\');
    EXPECT_EQ(chooser_.GetFolder(), "C:\\WINNT\\");
    put("C:\\nowhere");
    chooser_.Type('\\');
    EXPECT_EQ(box(), "C:\\nowhere\\");
    EXPECT_EQ(chooser_.GetFolder(), "C:\\WINNT\\");
}

TEST_F(FolderChooserTest, ScriptedAnswersRunTheSameChecks)
{
    answer({"folder C:\\Tools\\readme.txt", "ok", "folder c:\\winnt", "yes"});
    FolderChooser chooser("", nullptr);
    EXPECT_EQ(chooser.DoModal(), IDOK);
    EXPECT_EQ(chooser.GetFolder(), "C:\\WINNT\\");
    const auto lines = shown();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[0].find("This is a file not a directory."), std::string::npos);
    EXPECT_EQ(lines[1], "folder\tFind and Select Folder with Pellimax.exe file\t\tC:\\\\WINNT\\\\");
    EXPECT_EQ(skel_ui_peek_line(), "yes"); // left for whatever asks next
}

TEST_F(FolderChooserTest, ScriptedCancelAndUnfittingLines)
{
    answer({"cancel", "maybe"});
    FolderChooser first("C:\\", nullptr);
    EXPECT_EQ(first.DoModal(), IDCANCEL);
    FolderChooser second("C:\\", nullptr);
    EXPECT_EQ(second.DoModal(), IDCANCEL);
    EXPECT_EQ(skel_ui_peek_line(), "maybe");
    const auto lines = shown();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "folder\tFind and Select Folder with Pellimax.exe file\tC:\\\\\tCANCEL");
}

TEST(CreateFolderPath, CreatesEveryMissingLevel)
{
    temp_drive drive;
    CreateFolderPath("C:\\a\\b\\c");
    EXPECT_TRUE(std::filesystem::is_directory(drive.host("a/b/c")));
    CreateFolderPath("new");
    EXPECT_TRUE(std::filesystem::is_directory(drive.host("new")));
    CreateFolderPath("Q:\\x\\y"); // silently nothing
    CreateFolderPath("");
}
