#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "skelvane/profile.h"
#include "temp_drive.h"

TEST(Profile, ReadsSectionsAndKeysWithoutRegardToCase)
{
    temp_drive drive;
    drive.write("s.ini", "; comment\r\n[Other]\r\nPath=wrong\r\n[pellimaxexe]\r\n  path = C:\\Tools\\ \r\n");
    EXPECT_EQ(GetPrivateProfileString("PellimaxExe", "Path", "", "C:\\s.ini"), "C:\\Tools\\");
    EXPECT_EQ(GetPrivateProfileString("PellimaxExe", "Missing", "dflt", "C:\\s.ini"), "dflt");
    EXPECT_EQ(GetPrivateProfileString("Nowhere", "Path", "", "C:\\s.ini"), "");
    EXPECT_EQ(GetPrivateProfileString("PellimaxExe", "Path", "none", "C:\\absent.ini"), "none");
}

TEST(Profile, WritingChangesOneLineAndKeepsTheRest)
{
    temp_drive drive;
    const std::string before = "; settings\r\n[A]\r\nx=1\r\n\r\n[PellimaxExe]\r\nPath=C:\\old\\\r\nOther=keep\r\n\r\n[B]\r\ny=2";
    drive.write("s.ini", before);
    ASSERT_TRUE(WritePrivateProfileString("PellimaxExe", "Path", "D:\\new\\", "C:\\s.ini"));
    EXPECT_EQ(drive.read("s.ini"),
              "; settings\r\n[A]\r\nx=1\r\n\r\n[PellimaxExe]\r\nPath=D:\\new\\\r\nOther=keep\r\n\r\n[B]\r\ny=2\r\n");

    ASSERT_TRUE(WritePrivateProfileString("A", "z", "3", "C:\\s.ini"));
    EXPECT_EQ(GetPrivateProfileString("A", "z", "", "C:\\s.ini"), "3");
    EXPECT_TRUE(drive.read("s.ini").starts_with("; settings\r\n[A]\r\nx=1\r\nz=3\r\n\r\n[PellimaxExe]"));

    ASSERT_TRUE(WritePrivateProfileString("A", "x", nullptr, "C:\\s.ini"));
    EXPECT_EQ(GetPrivateProfileString("A", "x", "gone", "C:\\s.ini"), "gone");
    EXPECT_EQ(GetPrivateProfileString("B", "y", "", "C:\\s.ini"), "2");
}

TEST(Profile, WritingCreatesTheFileAndTheSection)
{
    temp_drive drive;
    ASSERT_TRUE(WritePrivateProfileString("PellimaxExe", "Path", "C:\\x\\", "C:\\pxqrimp.ini"));
    EXPECT_EQ(drive.read("pxqrimp.ini"), "[PellimaxExe]\nPath=C:\\x\\\n");
    EXPECT_FALSE(WritePrivateProfileString("S", "k", "v", "Q:\\no-such-drive.ini"));
    // A line end in a value would add lines of its own to the file.
    EXPECT_FALSE(WritePrivateProfileString("PellimaxExe", "Path", "C:\\a\n[Evil]\nx=1", "C:\\pxqrimp.ini"));
    EXPECT_EQ(drive.read("pxqrimp.ini"), "[PellimaxExe]\nPath=C:\\x\\\n");
}

// The rewrite's temporary file is created exclusively: a link planted under its
// name must not be written through, and the settings file stays as it was.
TEST(Profile, APlantedTemporaryNameIsNotWrittenThrough)
{
    temp_drive drive;
    drive.write("pxqrimp.ini", "[PellimaxExe]\nPath=C:\\Tools\\\n");
    const std::string planted = drive.host("pxqrimp.ini.new" + std::to_string(::getpid()));
    std::filesystem::create_symlink(drive.host("victim"), planted);
    EXPECT_FALSE(WritePrivateProfileString("PellimaxExe", "Path", "C:\\Evil\\", "C:\\pxqrimp.ini"));
    EXPECT_FALSE(std::filesystem::exists(drive.host("victim")));
    EXPECT_EQ(drive.read("pxqrimp.ini"), "[PellimaxExe]\nPath=C:\\Tools\\\n");
}

// A pipe named as the settings file is not waited on: it reads as missing.
TEST(Profile, APipeAsTheSettingsFileDoesNotHang)
{
    temp_drive drive;
    ASSERT_EQ(::mkfifo(drive.host("pxqrimp.ini").c_str(), 0600), 0);
    ::alarm(20);
    EXPECT_EQ(GetPrivateProfileString("PellimaxExe", "Path", "none", "C:\\pxqrimp.ini"), "none");
    ::alarm(0);
}
