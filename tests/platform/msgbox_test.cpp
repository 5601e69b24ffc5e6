#include <gtest/gtest.h>

#include <fstream>

#include "file_text.h"
#include "scratch_folder.h"
#include "skelvane/msgbox.h"
#include "skelvane/ui.h"
#include "skelvane_ui.h"

namespace {

class MessageBoxTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ::setenv("SKELVANE_UI_LOG", log_path.c_str(), 1);
    }
    void TearDown() override
    {
        ::unsetenv("SKELVANE_UI_LOG");
        ::setenv("SKELVANE_UI", "none", 1);
        skelvane_set_message_box_provider(nullptr);
        skel_ui_reset();
    }
    void use_script(const std::string &answers)
    {
        std::ofstream(script_path) << answers;
        ::setenv("SKELVANE_UI", ("script:" + script_path).c_str(), 1);
        skel_ui_reset();
    }
    std::string log() const { return skeltest::read_file(log_path); }

    skeltest::scratch_folder folder;
    std::string log_path = folder / "ui.log";
    std::string script_path = folder / "answers";
};

TEST_F(MessageBoxTest, ScriptAnswersInOrderAndLogsEachBox)
{
    use_script("yes\nno\nok\n");
    EXPECT_EQ(MessageBox(nullptr, "first", "Message", MB_YESNO | MB_ICONSTOP | MB_SYSTEMMODAL), IDYES);
    EXPECT_EQ(MessageBox(nullptr, "second\n\nmore?", "Message", MB_YESNO | MB_ICONINFORMATION | MB_TASKMODAL), IDNO);
    EXPECT_EQ(MessageBox(nullptr, "a\\b\tc", "Skelvane", MB_OK), IDOK);
    EXPECT_EQ(log(), "box\tMessage\tfirst\tYESNO\tSTOP\tSYSTEM\tYES\n"
                     "box\tMessage\tsecond\\n\\nmore?\tYESNO\tINFORMATION\tTASK\tNO\n"
                     "box\tSkelvane\ta\\\\b\\tc\tOK\tNONE\tAPPL\tOK\n");
}

TEST_F(MessageBoxTest, UnfittingLineOrEndOfScriptDeclinesWithoutConsuming)
{
    use_script("ok\nyes\n");
    // "ok" does not answer a Yes/No box: declined as No, and the line stays.
    EXPECT_EQ(MessageBox(nullptr, "q", "Message", MB_YESNO), IDNO);
    EXPECT_EQ(MessageBox(nullptr, "q", "Message", MB_OKCANCEL | MB_ICONQUESTION), IDOK);
    EXPECT_EQ(MessageBox(nullptr, "q", "Message", MB_YESNO), IDYES);
    EXPECT_EQ(MessageBox(nullptr, "q", "Message", MB_OKCANCEL), IDCANCEL); // script ended
    EXPECT_EQ(MessageBox(nullptr, "q", "Message", MB_OK), IDOK);
    EXPECT_NE(log().find("\tOKCANCEL\tNONE\tAPPL\tCANCEL\n"), std::string::npos);
}

TEST_F(MessageBoxTest, NoneNeverConsents)
{
    ::setenv("SKELVANE_UI", "none", 1);
    skel_ui_reset();
    EXPECT_EQ(skel_ui_current_mode(), skel_ui_mode::none);
    EXPECT_EQ(MessageBox(nullptr, "append more?", "Message", MB_YESNO), IDNO);
    EXPECT_EQ(MessageBox(nullptr, "go on?", "Message", MB_OKCANCEL), IDCANCEL);
    EXPECT_EQ(MessageBox(nullptr, "done", "Message", MB_OK), IDOK);
}

int host_answers_retry(void *, const char *, const char *, unsigned int)
{
    return IDRETRY;
}

TEST_F(MessageBoxTest, HostProviderTakesPrecedence)
{
    use_script("yes\n");
    skelvane_set_message_box_provider(host_answers_retry);
    EXPECT_EQ(skel_ui_current_mode(), skel_ui_mode::host);
    EXPECT_EQ(MessageBox(nullptr, "t", "c", MB_RETRYCANCEL | MB_ICONEXCLAMATION), IDRETRY);
    EXPECT_EQ(log(), "box\tc\tt\tRETRYCANCEL\tEXCLAMATION\tAPPL\tRETRY\n");
    skelvane_set_message_box_provider(nullptr);
    EXPECT_EQ(MessageBox(nullptr, "t", "c", MB_YESNO), IDYES); // the script was not consumed
}

} // namespace
