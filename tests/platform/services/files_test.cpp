#include <gtest/gtest.h>

#include <filesystem>

#include "skelvane/files.h"
#include "temp_drive.h"

TEST(Files, AttributesDriveTypesAndFolderCreation)
{
    temp_drive drive;
    std::filesystem::create_directory(drive.host("Tools"));
    drive.write("Tools/pellimax.exe", "x");
    EXPECT_EQ(GetFileAttributes("c:\\tools"), FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(GetFileAttributes("C:\\TOOLS\\PELLIMAX.EXE"), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(GetFileAttributes("C:\\nothing"), INVALID_FILE_ATTRIBUTES);

    EXPECT_EQ(GetDriveType("C:\\"), DRIVE_FIXED);
    EXPECT_EQ(GetDriveType("q:\\"), DRIVE_NO_ROOT_DIR);
    EXPECT_EQ(GetDriveType("1:\\"), DRIVE_NO_ROOT_DIR);
    EXPECT_EQ(GetDriveType("\\"), DRIVE_FIXED); // the current drive's root
    EXPECT_EQ(GetDriveType("\\:\\"), DRIVE_NO_ROOT_DIR);
    EXPECT_EQ(GetDriveType("\\\\server\\share\\"), DRIVE_NO_ROOT_DIR);

    EXPECT_TRUE(CreateDirectory("C:\\tools\\sub"));
    EXPECT_TRUE(std::filesystem::is_directory(drive.host("Tools/sub")));
    EXPECT_FALSE(CreateDirectory("C:\\tools\\sub"));
    EXPECT_FALSE(CreateDirectory("C:\\missing\\sub"));
    EXPECT_FALSE(CreateDirectory("Q:\\x"));
}

TEST(Files, SearchMatchesNamesWithoutRegardToCase)
{
    temp_drive drive;
    std::filesystem::create_directory(drive.host("WINNT"));
    std::filesystem::create_directory(drive.host("Work"));
    drive.write("wfile.txt", "");
    const auto all = skel_find_files("C:\\w*");
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0].name, "WINNT");
    EXPECT_EQ(all[0].attributes, FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(skel_find_files("C:\\WFILE.TXT").size(), 1u);
    EXPECT_EQ(skel_find_files("C:\\*.*").size(), 3u);
    EXPECT_TRUE(skel_find_files("C:\\nope\\*").empty());
}

TEST(Files, OnlyStarAndQuestionMarkAreWildcards)
{
    temp_drive drive;
    std::filesystem::create_directory(drive.host("[old] parts"));
    std::filesystem::create_directory(drive.host("o"));
    drive.write("a.b.c", "");
    ASSERT_EQ(skel_find_files("C:\\[OLD*").size(), 1u);
    EXPECT_EQ(skel_find_files("C:\\[o?d]*s").size(), 1u);
    EXPECT_EQ(skel_find_files("C:\\?").size(), 1u);
    EXPECT_EQ(skel_find_files("C:\\*.c").size(), 1u);
    EXPECT_EQ(skel_find_files("C:\\a*b").size(), 0u);
    EXPECT_EQ(skel_find_files("C:\\*b*c*").size(), 1u);
}

TEST(Files, TemporaryNamesAreNewFilesWithThePrefix)
{
    temp_drive drive;
    std::string first, second;
    ASSERT_NE(GetTempFileName("C:\\", "psox", &first), 0u);
    ASSERT_NE(GetTempFileName("C:\\", "pso", &second), 0u);
    EXPECT_NE(first, second);
    EXPECT_EQ(first.rfind("C:\\pso", 0), 0u);
    EXPECT_EQ(first.substr(first.size() - 4), ".tmp");
    EXPECT_EQ(GetFileAttributes(first), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(GetTempFileName("C:\\missing", "pso", &first), 0u);
}

TEST(Files, CurrentFolderOnAMappedDriveIsSpeltAsAWindowsPath)
{
    temp_drive drive;
    std::filesystem::create_directory(drive.host("Here"));
    const auto saved = std::filesystem::current_path();
    ASSERT_TRUE(SetCurrentDirectory("c:\\here"));
    EXPECT_EQ(GetCurrentDirectory(), "C:\\Here");
    std::filesystem::current_path(saved);
    EXPECT_EQ(GetShortPathName("C:\\Here"), "C:\\Here");
    EXPECT_EQ(GetShortPathName("C:\\Absent"), "");
}
