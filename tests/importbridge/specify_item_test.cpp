#include <gtest/gtest.h>

#include "bridge_fixture.h"
#include "pellimax.h"

namespace {

class SpecifyItem : public bridge_test {
protected:
    int run(const std::string &keys, const std::string &result = "C:\\result.txt")
    {
        drive_.write("keys.txt", keys);
        return HBSpecifyItem(result.c_str(), "C:\\keys.txt");
    }
    std::string settings() const { return drive_.read("pxqrimp.ini"); }
};

} // namespace

TEST_F(SpecifyItem, ProgramFromTheSettingsFileAndAMatchingResult)
{
    install_program("Tools");
    drive_.write("pxqrimp.ini", "[PellimaxExe]\nPath=C:\\Tools\n");
    ::setenv("PELLIMAX_STANDIN_LOG", drive_.host("runs.log").c_str(), 1);
    EXPECT_EQ(run("PN=AB 12\nMC=M7\n"), 1);
    EXPECT_EQ(drive_.read("runs.log"), "-xC:\\result.txt\t-pAB\t-mM7\n");
    EXPECT_EQ(drive_.read("result.txt"), "PN=AB\nMC=M7\n");
    EXPECT_EQ(settings(), "[PellimaxExe]\nPath=C:\\Tools\\\n");
    EXPECT_TRUE(shown().empty());
}

TEST_F(SpecifyItem, FallsBackToTheCurrentFolderAndRemembersIt)
{
    install_program("Work");
    folder("Empty");
    enter("Work");
    drive_.write("pxqrimp.ini", "; kept\n[PellimaxExe]\nPath=C:\\Empty\\\n");
    EXPECT_EQ(run("PN=X\n"), 1);
    EXPECT_EQ(settings(), "; kept\n[PellimaxExe]\nPath=C:\\Work\\\n");
    // A remembered folder too long for the program's path counts as not found.
    const std::string deep = std::string(200, 'd') + "/" + std::string(60, 'e');
    install_program(deep);
    drive_.write("pxqrimp.ini", "[PellimaxExe]\nPath=C:\\" + std::string(200, 'd') + "\\" + std::string(60, 'e') + "\n");
    EXPECT_EQ(run("PN=X\n"), 1);
    EXPECT_EQ(settings(), "[PellimaxExe]\nPath=C:\\Work\\\n");
}

TEST_F(SpecifyItem, AResultThatDiffersAsksTheUser)
{
    install_program("Tools");
    enter("Tools");
    ::setenv("PELLIMAX_STANDIN_TEXT", "MC=M7\\n", 1); // no PN= line
    answer({"yes", "no"});
    EXPECT_EQ(run("PN=AB\nMC=M7\n"), 1);
    EXPECT_EQ(run("pn=ab\nPN=AB\n"), 0);
    const auto lines = shown();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "box\tPLEASE VERIFY YOUR DATA...\tClick Yes to complete the import process into Korvane!\\nor No "
                        "to abort.\tYESNO\tQUESTION\tAPPL\tYES");
    EXPECT_NE(lines[1].find("\tNO"), std::string::npos);
}

TEST_F(SpecifyItem, ComparisonIsExactAndEmptyKeysAcceptAnything)
{
    install_program("Tools");
    enter("Tools");
    ::setenv("PELLIMAX_STANDIN_TEXT", "PN=ab\\nMC=M7\\n", 1);
    EXPECT_EQ(run("PN=AB\n"), 0); // case counts; the question is declined
    EXPECT_EQ(run("MC=M7\n"), 1);
    EXPECT_EQ(run("nothing\n"), 1);
    EXPECT_EQ(shown().size(), 1u);
}

TEST_F(SpecifyItem, EmptyOrMissingResultIsSilentlyRefused)
{
    install_program("Tools");
    enter("Tools");
    ::setenv("PELLIMAX_STANDIN_TEXT", "", 1);
    EXPECT_EQ(run(""), 0);
    ::setenv("PELLIMAX_STANDIN_TEXT", "\\n", 1); // a bare line end is not empty
    EXPECT_EQ(run(""), 1);
    EXPECT_EQ(run("", "C:\\no\\such\\folder\\r.txt"), 0);
    EXPECT_TRUE(shown().empty());
}

TEST_F(SpecifyItem, ProgramChosenByTheUser)
{
    install_program("Far/Away");
    folder("Empty");
    enter("Empty");
    answer({"yes", "folder C:\\Far\\Away"});
    EXPECT_EQ(run("PN=Q\n"), 1);
    const auto lines = shown();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "box\tPLEASE CHECK YOUR DATA...\tPellimax.exe could not be found.\\nDo you want to find this "
                        "file yourself?\tYESNO\tSTOP\tAPPL\tYES");
    EXPECT_EQ(lines[1], "folder\tFind and Select Folder with Pellimax.exe file\t\tC:\\\\Far\\\\Away\\\\");
    EXPECT_EQ(settings(), "[PellimaxExe]\nPath=C:\\Far\\Away\\\n");
}

TEST_F(SpecifyItem, EveryFailureShowsOneMessage)
{
    folder("Empty");
    enter("Empty");
    EXPECT_EQ(HBSpecifyItem("C:\\r.txt", "C:\\absent.txt"), 0);
    EXPECT_EQ(run("PN=" + std::string(40, 'p') + "\n"), 0);
    EXPECT_EQ(run("MC=" + std::string(12, 'm') + "\n"), 0);
    EXPECT_EQ(run("PN=X\n"), 0); // not found, the user declines to look
    answer({"yes", "cancel", "yes", "folder C:\\Empty"});
    EXPECT_EQ(run("PN=X\n"), 0);
    EXPECT_EQ(run("PN=X\n"), 0);
    const auto lines = shown();
    ASSERT_EQ(lines.size(), 10u);
    const std::string open_failed = "box\tPLEASE CHECK YOUR DATA...\tUnable To Open Import File For PELLIMAX.DLL\tOK\tSTOP";
    EXPECT_EQ(lines[0].rfind(open_failed, 0), 0u);
    EXPECT_EQ(lines[1].rfind(open_failed, 0), 0u);
    EXPECT_EQ(lines[2].rfind(open_failed, 0), 0u);
    EXPECT_NE(lines[3].find("\tNO"), std::string::npos);
    EXPECT_NE(lines[5].find("\tCANCEL"), std::string::npos);
    EXPECT_EQ(lines[6], "box\tPLEASE CHECK YOUR DATA...\tPELLIMAX.EXE Error#0\tOK\tSTOP\tAPPL\tOK");
    EXPECT_EQ(lines[9], lines[6]);
    EXPECT_FALSE(std::filesystem::exists(drive_.host("pxqrimp.ini")));
}

TEST_F(SpecifyItem, AFolderOrOverLongPathInPlaceOfTheKeyFileCannotBeOpened)
{
    install_program("Tools");
    enter("Tools");
    folder("keys.d");
    EXPECT_EQ(HBSpecifyItem("C:\\r.txt", "C:\\keys.d"), 0);
    const std::string long_key = "C:\\" + std::string(257, 'k');
    EXPECT_EQ(HBSpecifyItem("C:\\r.txt", long_key.c_str()), 0);
    const auto lines = shown();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "box\tPLEASE CHECK YOUR DATA...\tUnable To Open Import File For PELLIMAX.DLL\tOK\tSTOP\tAPPL\tOK");
    EXPECT_EQ(lines[1], lines[0]);
    EXPECT_FALSE(std::filesystem::exists(drive_.host("r.txt")));
}

TEST_F(SpecifyItem, AnOverLongResultPathIsRefusedBeforeTheProgramRuns)
{
    install_program("Tools");
    enter("Tools");
    ::setenv("PELLIMAX_STANDIN_LOG", drive_.host("runs.log").c_str(), 1);
    const std::string result = "C:\\" + std::string(257, 'r');
    EXPECT_EQ(run("PN=X\n", result), 0);
    const auto lines = shown();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "box\tWindows OS problem\tCreateProcess failed (206).\\n\tOK\tSTOP\tAPPL\tOK");
    EXPECT_FALSE(std::filesystem::exists(drive_.host("runs.log")));
    // The program was found, so its folder is remembered all the same.
    EXPECT_EQ(settings(), "[PellimaxExe]\nPath=C:\\Tools\\\n");
}

TEST_F(SpecifyItem, AProgramThatCannotStartIsReported)
{
    folder("Tools");
    drive_.write("Tools/pellimax.exe", "not a program");
    enter("Tools");
    EXPECT_EQ(run("PN=X\n"), 0);
    const auto lines = shown();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "box\tWindows OS problem\tCreateProcess failed (5).\\n\tOK\tSTOP\tAPPL\tOK");
}

TEST_F(SpecifyItem, PathsWithBlanksReachTheProgramWhole)
{
    install_program("My Tools");
    enter("My Tools");
    folder("out dir");
    ::setenv("PELLIMAX_STANDIN_LOG", drive_.host("runs.log").c_str(), 1);
    EXPECT_EQ(run("PN=A\"B\n", "C:\\out dir\\r.txt"), 1);
    EXPECT_EQ(drive_.read("runs.log"), "-xC:\\out dir\\r.txt\t-pA\"B\t-m\n");
    EXPECT_EQ(drive_.read("out dir/r.txt"), "PN=A\"B\nMC=\n");
}
