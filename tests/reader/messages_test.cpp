#include <cstdlib>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "messages.h"
#include "resbuf.h"
#include "skelvane/ui.h"
#include "support.h"

namespace {

// Scripted answers and a log of every box, for boxes shown in this process.
class BoxScript {
public:
    BoxScript(const rt::ScratchDir &dir, const std::string &answers)
        : script_(dir.file("answers.txt")), log_(dir.file("boxes.log"))
    {
        std::ofstream(script_) << answers;
        setenv("SKELVANE_UI", ("script:" + script_).c_str(), 1);
        setenv("SKELVANE_UI_LOG", log_.c_str(), 1);
        skel_ui_reset();
    }
    ~BoxScript()
    {
        setenv("SKELVANE_UI", "none", 1);
        unsetenv("SKELVANE_UI_LOG");
        skel_ui_reset();
    }
    std::string log() const { return rt::read_file(log_); }

private:
    std::string script_, log_;
};

} // namespace

TEST(ReaderMessages, ConsoleWritesTheTextUnchanged)
{
    const std::string out = rt::stdout_of([] { msg_console("\nERROR: %s not found in table %c.", "DOOR", 'B'); });
    EXPECT_EQ(out, "\nERROR: DOOR not found in table B.");
}

// The suppression counter lives as long as the process, so each scenario runs
// in a child process of its own.
TEST(ReaderMessagesDeathTest, NoOnAnErrorSilencesEveryBox)
{
    rt::ScratchDir dir;
    EXPECT_EXIT(
        {
            BoxScript script(dir, "no\nyes\nyes\n");
            msg_box("\nERROR: Cannot read from file.");
            msg_box("\nERROR: Decompressing Cx buffer.");
            const int n = msg_box("\n");
            const std::string log = script.log();
            const bool ok = n == 1 &&
                            log == "box\tMessage\t\\nERROR: Cannot read from file.\\n\\nDisplay additional messages?"
                                   "\tYESNO\tSTOP\tSYSTEM\tNO\n";
            std::exit(ok ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}

TEST(ReaderMessagesDeathTest, NoOnInformationLeavesErrorsShown)
{
    rt::ScratchDir dir;
    EXPECT_EXIT(
        {
            BoxScript script(dir, "no\nyes\nno\nyes\n");
            msg_box("(8.\"%s\")", "0");            // information, answered No
            msg_box("(10.(1 2 3))");               // silenced
            msg_box("\nERROR: reading %s", "x");   // error, shown, Yes
            msg_box("an error in lower case");     // error, shown, No
            msg_box("\nERROR: shown no more");
            const std::string log = script.log();
            const std::string expected =
                "box\tMessage\t(8.\"0\")\\n\\nDisplay additional messages?\tYESNO\tINFORMATION\tTASK\tNO\n"
                "box\tMessage\t\\nERROR: reading x\\n\\nDisplay additional messages?\tYESNO\tSTOP\tSYSTEM\tYES\n"
                "box\tMessage\tan error in lower case\\n\\nDisplay additional messages?\tYESNO\tSTOP\tSYSTEM\tNO\n";
            std::exit(log == expected ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}

TEST(ReaderMessagesDeathTest, PrintShowsOneBoxPerRecord)
{
    rt::ScratchDir dir;
    EXPECT_EXIT(
        {
            BoxScript script(dir, "yes\nyes\nyes\n");
            resbuf *chain = rb_build(RB_TYPE_NAME, "LINE", 8, "0", 62, 3, 0);
            rb_print(chain);
            rb_release(chain);
            const std::string log = script.log();
            const bool ok = log.find("\t(0.\"LINE\")\\n\\n") != std::string::npos &&
                            log.find("\t(8.\"0\")\\n\\n") != std::string::npos &&
                            log.find("\t(62.3)\\n\\n") != std::string::npos;
            std::exit(ok ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}
