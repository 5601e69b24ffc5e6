#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "skelvane/process.h"
#include "temp_drive.h"

namespace {

unsigned long run_to_end(const std::string &command_line, const std::string &folder = "")
{
    skel_process *p = skel_start_process(command_line, folder);
    EXPECT_NE(p, nullptr) << command_line;
    if (!p)
        return 999;
    EXPECT_TRUE(skel_wait_process(p, -1));
    unsigned long code = 999;
    EXPECT_TRUE(skel_process_exit_code(p, &code));
    skel_close_process(p);
    return code;
}

// Running, as opposed to gone or a zombie waiting for a parent to reap it.
bool alive(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line))
        return false;
    const std::size_t close = line.rfind(')');
    return close != std::string::npos && close + 2 < line.size() && line[close + 2] != 'Z';
}

} // namespace

TEST(Process, ExitCodesAndMissingPrograms)
{
    EXPECT_EQ(run_to_end("/bin/true"), 0u);
    EXPECT_EQ(run_to_end("/bin/sh -c \"exit 7\""), 7u);
    DWORD error = 0;
    EXPECT_EQ(skel_start_process("/no/such/program.exe", "", &error), nullptr);
    EXPECT_EQ(error, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(skel_start_process("", "", &error), nullptr);
}

TEST(Process, ArgumentsArriveUnchangedAndInTheGivenFolder)
{
    temp_drive drive;
    drive.write("args.sh", "printf '%s|' \"$@\" > out.txt; pwd -P > pwd.txt\n");
    EXPECT_EQ(run_to_end("/bin/sh " + drive.host("args.sh") + " \"a b\" c;d $(x)", "C:\\"), 0u);
    EXPECT_EQ(drive.read("out.txt"), "a b|c;d|$(x)|");
    EXPECT_EQ(drive.read("pwd.txt"), std::filesystem::canonical(drive.root()).string() + "\n");
}

TEST(Process, WaitWithTimeLimitAndTerminateStopsTheGroup)
{
    temp_drive drive;
    // The shell starts a child that would outlive it; stopping must take both.
    drive.write("tree.sh", "sleep 30 & echo $! > child.pid; wait\n");
    skel_process *p = skel_start_process("/bin/sh " + drive.host("tree.sh"), "C:\\");
    ASSERT_NE(p, nullptr);
    EXPECT_FALSE(skel_wait_process(p, 50));
    EXPECT_EQ(WaitForSingleObject(p, 10), WAIT_TIMEOUT);
    unsigned long code = 0;
    EXPECT_FALSE(skel_process_exit_code(p, &code));
    pid_t child = 0;
    for (int i = 0; i < 200 && !child; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        child = std::atoi(drive.read("child.pid").c_str());
    }
    ASSERT_GT(child, 0);
    skel_terminate_process(p);
    EXPECT_TRUE(skel_wait_process(p, 0));
    EXPECT_TRUE(skel_process_exit_code(p, &code));
    EXPECT_EQ(code, 1u);
    skel_close_process(p);
    for (int i = 0; i < 200 && alive(child); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_FALSE(alive(child));
}

TEST(Process, WaitEndsEarlyWhenTheProgramEnds)
{
    skel_process *p = skel_start_process("/bin/true");
    ASSERT_NE(p, nullptr);
    const auto before = std::chrono::steady_clock::now();
    EXPECT_TRUE(skel_wait_process(p, 60000));
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(30));
    skel_close_process(p);
}

TEST(BatchInterpreter, RunsCommandLinesAndSkipsItsOwnStatements)
{
    temp_drive drive;
    drive.write("job.bat", "ECHO OFF\r\n  /bin/sh -c \"echo first >> log.txt\"\r\n"
                           "REM /bin/sh -c \"echo never >> log.txt\"\n"
                           "@/bin/sh -c \"echo second >> log.txt; exit 3\"\nCLS\n");
    EXPECT_EQ(run_to_end("c:\\JOB.BAT", "C:\\"), 3u);
    EXPECT_EQ(drive.read("log.txt"), "first\nsecond\n");
}

TEST(BatchInterpreter, AMissingProgramDoesNotStopTheFile)
{
    temp_drive drive;
    drive.write("job.bat", "ECHO OFF\nC:\\missing.exe -x\n/bin/sh -c \"echo ran > log.txt\"\n");
    EXPECT_EQ(run_to_end("C:\\job.bat", "C:\\"), 0u);
    EXPECT_EQ(drive.read("log.txt"), "ran\n");
}

TEST(BatchInterpreter, TerminateStopsTheProgramsItRuns)
{
    temp_drive drive;
    drive.write("job.bat", "ECHO OFF\n/bin/sh -c \"echo $$ > shell.pid; exec sleep 30\"\n");
    skel_process *p = skel_start_process("C:\\job.bat", "C:\\");
    ASSERT_NE(p, nullptr);
    pid_t shell = 0;
    for (int i = 0; i < 200 && !shell; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        shell = std::atoi(drive.read("shell.pid").c_str());
    }
    ASSERT_GT(shell, 0);
    skel_terminate_process(p);
    skel_close_process(p);
    for (int i = 0; i < 200 && alive(shell); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_FALSE(alive(shell));
}

TEST(BatchInterpreter, ProgramsNamedRelativelyAreFoundWhereTheBatchRuns)
{
    temp_drive drive;
    std::filesystem::create_directory(drive.host("work"));
    drive.write("work/tool.sh", "#!/bin/sh\necho \"$1\" > out.txt\n");
    std::filesystem::permissions(drive.host("work/tool.sh"), std::filesystem::perms::owner_all);
    drive.write("job.bat", "@ECHO OFF\r\nREM the tool lies beside the folder we run in\r\ntool.sh \"a b\"\r\nCLS\r\n");
    EXPECT_EQ(run_to_end("C:\\job.bat", "C:\\work"), 0u);
    EXPECT_EQ(drive.read("work/out.txt"), "a b\n");
}
