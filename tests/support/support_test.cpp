// The shared test scaffolding: scratch folders and programs run without a shell.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "child_process.h"
#include "file_text.h"
#include "scratch_folder.h"

namespace {

std::optional<std::string> env(const char *name)
{
    const char *v = std::getenv(name);
    return v ? std::optional<std::string>(v) : std::nullopt;
}

TEST(ScratchFolder, PointsTempIntoItselfAndLeavesNothingBehind)
{
    const auto temp_before = env("TEMP");
    std::string kept;
    {
        skeltest::scratch_folder folder;
        kept = folder.path();
        EXPECT_EQ(env("TEMP"), folder.path());
        std::filesystem::create_directories(folder.file("a/b"));
        skeltest::write_file(folder.file("a/b/c.bin"), std::string("x\0y", 3));
        EXPECT_EQ(skeltest::read_file(folder.file("a/b/c.bin")), std::string("x\0y", 3));
        {
            skeltest::scratch_folder inner;
            inner.map_drive_c();
            EXPECT_EQ(env("TEMP"), inner.path());
            EXPECT_EQ(env("SKELVANE_DRIVE_C"), inner.path());
        }
        EXPECT_EQ(env("TEMP"), folder.path());
    }
    EXPECT_EQ(env("TEMP"), temp_before);
    EXPECT_FALSE(std::filesystem::exists(kept));
}

TEST(RunProgram, ArgumentsReachTheProgramAsTheyAre)
{
    const auto r = skeltest::run({"/bin/echo", {"a b", "'q'", "$HOME;x", "\"", ""}});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "a b 'q' $HOME;x \" \n");
    EXPECT_EQ(r.err, "");
}

TEST(RunProgram, KeepsOutputErrorAndStatusApart)
{
    const auto r = skeltest::run({"/bin/sh", {"-c", "echo out; echo err >&2; exit 3"}});
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.out, "out\n");
    EXPECT_EQ(r.err, "err\n");
    EXPECT_EQ(skeltest::run({"/bin/sh", {"-c", "kill -9 $$"}}).status, -1);
    const auto missing = skeltest::run({"/no/such/program", {}});
    EXPECT_EQ(missing.status, 127);
    EXPECT_NE(missing.err.find("/no/such/program"), std::string::npos);
}

TEST(RunProgram, ExtraEnvironmentIsTheProgramsAlone)
{
    skeltest::scoped_env mine("SKELTEST_SEEN", "outer");
    const auto r = skeltest::run({"/bin/sh", {"-c", "echo \"$SKELTEST_SEEN $SKELTEST_NEW\""},
                                  {{"SKELTEST_SEEN", "inner"}, {"SKELTEST_NEW", "new"}}});
    EXPECT_EQ(r.out, "inner new\n");
    EXPECT_EQ(env("SKELTEST_SEEN"), "outer");
    EXPECT_EQ(env("SKELTEST_NEW"), std::nullopt);
}

// Both run at once and write more than a pipe holds: neither may wait on the other.
TEST(RunProgram, ProgramsRunTogetherWithLargeOutputs)
{
    const skeltest::command big{"/bin/sh", {"-c", "head -c 300000 /dev/zero; head -c 200000 /dev/zero >&2"}};
    const auto rs = skeltest::run_together({big, big});
    ASSERT_EQ(rs.size(), 2u);
    for (const auto &r : rs) {
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out.size(), 300000u);
        EXPECT_EQ(r.err.size(), 200000u);
    }
}

} // namespace
