// The bridge as a host process loads it: pellimax-host with the stand-in
// import program, scripted answers and the UI log.
#include <gtest/gtest.h>

#include <cstdlib>

#include "bridge_fixture.h"
#include "child_process.h"

namespace {

class HostTool : public bridge_test {
protected:
    // Runs pellimax-host with the arguments; what it printed.
    std::string host(const std::vector<std::string> &arguments)
    {
        const skeltest::run_result r = skeltest::run({PELLIMAX_HOST, arguments});
        EXPECT_EQ(r.status, 0) << r.err;
        return r.out;
    }
};

} // namespace

TEST_F(HostTool, OneItemThroughTheImportProgram)
{
    install_program("Tools");
    enter("Tools");
    drive_.write("keys.txt", "PN=AB 12\r\nMC=M7\r\n");
    EXPECT_EQ(host({"item", "C:\\result.txt", "C:\\keys.txt"}), "1\n");
    EXPECT_EQ(drive_.read("result.txt"), "PN=AB\nMC=M7\n");
    EXPECT_EQ(drive_.read("pxqrimp.ini"), "[PellimaxExe]\nPath=C:\\Tools\\\n");
    EXPECT_TRUE(shown().empty());
}

TEST_F(HostTool, AListOfTwoPassesThroughTheBatchFile)
{
    install_program("Tools");
    enter("Tools");
    folder("tmp");
    ::setenv("TMPDIR", drive_.host("tmp").c_str(), 1);
    ::setenv("PELLIMAX_STANDIN_TEXT_1", "A\\n", 1);
    ::setenv("PELLIMAX_STANDIN_TEXT_2", "B\\n", 1);
    ::setenv("PELLIMAX_STANDIN_LOG", drive_.host("runs.log").c_str(), 1);
    answer({"yes", "no"});
    EXPECT_EQ(host({"list", "C:\\list.txt"}), "1\n");
    ::unsetenv("TMPDIR");
    EXPECT_EQ(drive_.read("list.txt"), "A\n\nB\n\n");
    const std::string batch = drive_.read("pxqrtemp.bat");
    const std::size_t x = batch.find(" -x");
    ASSERT_NE(x, std::string::npos);
    const std::string temp = batch.substr(x + 3, batch.find(" -p -m\n") - x - 3);
    EXPECT_EQ(batch, "ECHO OFF\nC:\\Tools\\pellimax.exe -x" + temp + " -p -m\nCLS\n");
    EXPECT_EQ(drive_.read("runs.log"), "-x" + temp + "\t-p\t-m\n-x" + temp + "\t-p\t-m\n");
    EXPECT_FALSE(std::filesystem::exists(temp)); // removed after the user's No
    EXPECT_EQ(shown().size(), 2u);
}
