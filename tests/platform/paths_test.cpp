#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "scratch_folder.h"
#include "skelvane/environment.h"
#include "skelvane/paths.h"

namespace {

void write_file(const std::string &path, const std::string &text)
{
    std::ofstream(path) << text;
}

std::string read_all(std::FILE *f)
{
    std::string s;
    int c;
    while ((c = std::fgetc(f)) != EOF)
        s += static_cast<char>(c);
    return s;
}

class PathsTest : public ::testing::Test {
protected:
    skeltest::scratch_folder drive_c, drive_q;
    skeltest::scoped_env map_c{"SKELVANE_DRIVE_C", drive_c.path().c_str()};
    skeltest::scoped_env map_q{"SKELVANE_DRIVE_Q", drive_q.path().c_str()};
};

TEST_F(PathsTest, MapsDrivesSeparatorsAndHostPaths)
{
    std::string host;
    ASSERT_TRUE(skel_host_path("C:\\lib\\door.tvl", host));
    EXPECT_EQ(host, drive_c / "lib/door.tvl");
    ASSERT_TRUE(skel_host_path("c:/lib\\door.tvl", host)); // drive letters ignore case; both separators
    EXPECT_EQ(host, drive_c / "lib/door.tvl");
    ASSERT_TRUE(skel_host_path("q:\\x", host));
    EXPECT_EQ(host, drive_q / "x");
    ASSERT_TRUE(skel_host_path("\\pxqrimp.ini", host)); // root of the current drive, C
    EXPECT_EQ(host, drive_c / "pxqrimp.ini");
    ASSERT_TRUE(skel_host_path("/tmp\\tvldir.sb$", host)); // host path with a composed tail
    EXPECT_EQ(host, "/tmp/tvldir.sb$");
    EXPECT_FALSE(skel_host_path("R:\\nothing", host));   // unmapped drive
    EXPECT_FALSE(skel_host_path("\\\\server\\share\\f", host));
}

TEST_F(PathsTest, OpensExistingFilesWithoutRegardToCase)
{
    ::mkdir((drive_c / "Symbols").c_str(), 0755);
    write_file(drive_c / "Symbols/door.tvl", "door");
    std::FILE *f = skel_fopen("C:\\SYMBOLS\\DOOR.TVL", "rb");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(read_all(f), "door");
    std::fclose(f);
    EXPECT_TRUE(skel_file_exists("c:\\symbols\\Door.tvl"));
    EXPECT_FALSE(skel_file_exists("c:\\symbols\\window.tvl"));
    EXPECT_EQ(skel_fopen("C:\\SYMBOLS\\WINDOW.TVL", "rb"), nullptr);
}

TEST_F(PathsTest, WritingResolvesFoldersAndReusesAnExistingName)
{
    ::mkdir((drive_c / "Out").c_str(), 0755);
    write_file(drive_c / "Out/List.txt", "old");
    std::FILE *f = skel_fopen("C:\\OUT\\LIST.TXT", "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("new", f);
    std::fclose(f);
    std::ifstream in(drive_c / "Out/List.txt");
    std::string text;
    in >> text;
    EXPECT_EQ(text, "new");
    EXPECT_EQ(skel_remove("c:\\out\\list.txt"), 0);
    EXPECT_FALSE(skel_file_exists("C:\\Out\\List.txt"));
}

TEST_F(PathsTest, UniqueFilesAreExclusiveAndDoNotFollowLinks)
{
    std::string first, second;
    std::FILE *a = skel_create_unique("C:\\work", ".sb$", &first);
    std::FILE *b = skel_create_unique("C:\\work", ".sb$", &second);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(first, second);
    EXPECT_TRUE(first.starts_with("C:\\work"));
    EXPECT_TRUE(first.ends_with(".sb$"));
    std::fputs("x", a);
    std::fflush(a);
    std::fclose(a);
    std::fclose(b);
    EXPECT_EQ(skel_remove(first.c_str()), 0);
    EXPECT_EQ(skel_remove(second.c_str()), 0);
    EXPECT_EQ(skel_create_unique("R:\\work", ".sb$", nullptr), nullptr);
}

TEST(EnvironmentTest, TempFallsBackToTheTemporaryFolder)
{
    const char *saved = std::getenv("TEMP");
    const std::string keep = saved ? saved : "";
    ::unsetenv("TEMP");
    ::setenv("TMPDIR", "/var/tmp/", 1);
    EXPECT_EQ(skel_getenv("TEMP").value_or(""), "/var/tmp");
    EXPECT_EQ(GetTempPath(), "/var/tmp/");
    ::setenv("TEMP", "C:\\Temp", 1);
    EXPECT_EQ(skel_getenv("TEMP").value_or(""), "C:\\Temp");
    EXPECT_FALSE(skel_getenv("SKELVANE_SURELY_UNSET_VARIABLE").has_value());
    if (saved)
        ::setenv("TEMP", keep.c_str(), 1);
    else
        ::unsetenv("TEMP");
    ::unsetenv("TMPDIR");
    EXPECT_EQ(GetWindowsDirectory(), "C:\\WINDOWS");
}

TEST(EnvironmentTest, ModuleFileNameIsAnAbsolutePath)
{
    static int marker;
    const std::string own = GetModuleFileName(&marker);
    EXPECT_TRUE(own.starts_with("/"));
    const std::string library = GetModuleFileName(reinterpret_cast<const void *>(&skel_host_path));
    EXPECT_NE(library.find("libskelvane_platform.so"), std::string::npos);
}

} // namespace
