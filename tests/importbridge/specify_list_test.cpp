#include <gtest/gtest.h>

#include "bridge_fixture.h"
#include "pellimax.h"

namespace {

class SpecifyList : public bridge_test {
protected:
    void SetUp() override
    {
        bridge_test::SetUp();
        ::setenv("TMPDIR", drive_.host("tmp").c_str(), 1);
        folder("tmp");
        ::setenv("PELLIMAX_STANDIN_LOG", drive_.host("runs.log").c_str(), 1);
    }
    void TearDown() override
    {
        ::unsetenv("TMPDIR");
        bridge_test::TearDown();
    }
    int temp_files() const
    {
        int n = 0;
        for (const auto &e : std::filesystem::directory_iterator(drive_.host("tmp")))
            n += e.path().filename().string().starts_with("pso");
        return n;
    }
};

} // namespace

TEST_F(SpecifyList, TwoProductivePassesEachFollowedByALineEnd)
{
    install_program("Tools");
    enter("Tools");
    ::setenv("PELLIMAX_STANDIN_TEXT_1", "item one\\n", 1);
    ::setenv("PELLIMAX_STANDIN_TEXT_2", "", 1);
    ::setenv("PELLIMAX_STANDIN_TEXT_3", "item three\\nmore", 1);
    answer({"yes", "yes", "no"});
    EXPECT_EQ(HBSpecifyList("C:\\list.txt"), 1);
    EXPECT_EQ(drive_.read("list.txt"), "item one\n\nitem three\nmore\n");
    EXPECT_EQ(temp_files(), 0);
    const std::string batch = drive_.read("pxqrtemp.bat");
    ASSERT_TRUE(batch.starts_with("ECHO OFF\nC:\\Tools\\pellimax.exe -x"));
    EXPECT_TRUE(batch.ends_with(".tmp -p -m\nCLS\n"));
    EXPECT_NE(batch.find(" -x" + drive_.host("tmp") + "/pso"), std::string::npos);
    const auto lines = shown();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "box\tAPPEND NEXT ITEM\tWould you like to append more new items to the proposal?\tYESNO\tQUESTION\tAPPL\tYES");
    EXPECT_FALSE(std::filesystem::exists(drive_.host("pxqrimp.ini")));
}

TEST_F(SpecifyList, NothingAddedLeavesAnEmptyList)
{
    install_program("Tools");
    enter("Tools");
    drive_.write("list.txt", "old content");
    ::setenv("PELLIMAX_STANDIN_TEXT", "", 1);
    EXPECT_EQ(HBSpecifyList("C:\\list.txt"), 0);
    EXPECT_EQ(drive_.read("list.txt"), "");
    EXPECT_EQ(shown().size(), 1u);
}

TEST_F(SpecifyList, TheChooserStartsAtTheDriveRoot)
{
    install_program("Far");
    folder("Empty");
    enter("Empty");
    answer({"folder C:\\Far", "no"});
    EXPECT_EQ(HBSpecifyList("C:\\list.txt"), 1);
    EXPECT_EQ(drive_.read("list.txt"), "PN=\nMC=\n\n");
    EXPECT_EQ(shown()[0], "folder\tFind and Select Folder with Pellimax.exe file\tC:\\\\\tC:\\\\Far\\\\");
}

TEST_F(SpecifyList, FailureMessages)
{
    folder("Empty");
    enter("Empty");
    EXPECT_EQ(HBSpecifyList("Q:\\list.txt"), 0);
    answer({"cancel", "folder C:\\Empty"});
    EXPECT_EQ(HBSpecifyList("C:\\list.txt"), 0);
    EXPECT_EQ(HBSpecifyList("C:\\list.txt"), 0);
    ::setenv("TMPDIR", drive_.host("missing").c_str(), 1);
    EXPECT_EQ(HBSpecifyList("C:\\list.txt"), 0);
    // Names longer than a path may be are refused, not cut.
    EXPECT_EQ(HBSpecifyList(("C:\\" + std::string(257, 'l')).c_str()), 0);
    const std::string deep_temp = "tmp/" + std::string(250, 't');
    folder(deep_temp);
    ::setenv("TMPDIR", drive_.host(deep_temp).c_str(), 1);
    EXPECT_EQ(HBSpecifyList("C:\\list.txt"), 0);
    EXPECT_TRUE(std::filesystem::is_empty(drive_.host(deep_temp)));
    const auto lines = shown();
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[6], lines[0]);
    EXPECT_EQ(lines[7], lines[5]);
    EXPECT_EQ(lines[0], "box\tFUNCTION FAILED\tCould not open temp file for exporting new items\tOK\tNONE\tAPPL\tOK");
    EXPECT_EQ(lines[2], "box\tPLEASE CHECK YOUR DATA...\tPELLIMAX.DLL Error#0\tOK\tSTOP\tAPPL\tOK");
    EXPECT_EQ(lines[4], lines[2]);
    EXPECT_EQ(lines[5], "box\tFUNCTION FAILED\tCould not create temp file\tOK\tNONE\tAPPL\tOK");
}

TEST_F(SpecifyList, ABatchFileThatCannotBeWritten)
{
    install_program("Tools");
    enter("Tools");
    folder("pxqrtemp.bat"); // a folder in its place
    EXPECT_EQ(HBSpecifyList("C:\\list.txt"), 0);
    const auto lines = shown();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "box\tPLEASE CHECK YOUR DATA...\tPELLIMAX.DLL Error#1\tOK\tSTOP\tAPPL\tOK");
}

TEST_F(SpecifyList, ALineEndInAPathIsNotWrittenIntoTheBatchFile)
{
    install_program("Tools");
    enter("Tools");
    folder("odd\nECHO injected");
    ::setenv("TMPDIR", drive_.host("odd\nECHO injected").c_str(), 1);
    drive_.write("pxqrtemp.bat", "old");
    EXPECT_EQ(HBSpecifyList("C:\\list.txt"), 0);
    EXPECT_EQ(drive_.read("pxqrtemp.bat"), "old");
    const auto lines = shown();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "box\tPLEASE CHECK YOUR DATA...\tPELLIMAX.DLL Error#1\tOK\tSTOP\tAPPL\tOK");
    EXPECT_FALSE(std::filesystem::exists(drive_.host("runs.log")));
}

// Items written to a full disk are lost: that must be reported and answered 0,
// never counted as added.
TEST_F(SpecifyList, AListThatCannotBeWrittenIsAFailure)
{
    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    install_program("Tools");
    enter("Tools");
    ::setenv("PELLIMAX_STANDIN_TEXT", "item one\\n", 1);
    answer({"yes"});
    EXPECT_EQ(HBSpecifyList("/dev/full"), 0);
    const auto lines = shown();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "box\tFUNCTION FAILED\tCould not open temp file for exporting new items\tOK\tNONE\tAPPL\tOK");
    EXPECT_EQ(temp_files(), 0);
}
