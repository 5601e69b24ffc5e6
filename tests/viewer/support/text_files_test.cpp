#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

#include "file_text.h"
#include "scratch_folder.h"
#include "support/text_files.h"

namespace {

class TextFileTest : public ::testing::Test {
protected:
    skeltest::scratch_folder scratch;
    const std::string folder = scratch.path();
};

} // namespace

TEST_F(TextFileTest, PrintWritesCrLfAndReadsBackPlain)
{
    std::string path = folder + "/solid.sat";
    {
        cl_output_file out;
        ASSERT_TRUE(out.OpenWrite(path.c_str()));
        out.Print("%s\n", "abc");
        EXPECT_TRUE(out.WriteText("x\ny"));
        EXPECT_EQ(out.GetFilePath(), path.c_str());
    } // still open: the destructor flushes and closes
    EXPECT_EQ(skeltest::read_file(path), "abc\r\nx\r\ny");

    cl_input_file in;
    ASSERT_TRUE(in.OpenRead(path.c_str()));
    CString line;
    ASSERT_TRUE(in.ReadString(line));
    EXPECT_EQ(line, "abc");
    ASSERT_TRUE(in.ReadString(line));
    EXPECT_EQ(line, "x");
    ASSERT_TRUE(in.ReadString(line));
    EXPECT_EQ(line, "y"); // last line without a line end
    EXPECT_FALSE(in.ReadString(line));
    in.SeekToBegin();
    ASSERT_TRUE(in.ReadString(line));
    EXPECT_EQ(line, "abc");

    cl_input_file raw;
    ASSERT_TRUE(raw.OpenReadBinary(path.c_str()));
    ASSERT_TRUE(raw.ReadString(line));
    EXPECT_EQ(line, "abc\r"); // bytes as stored
}

TEST_F(TextFileTest, OpenFailuresAreFalseNotExceptions)
{
    cl_input_file in;
    EXPECT_FALSE(in.OpenRead((folder + "/missing.dxf").c_str()));
    EXPECT_FALSE(in.OpenReadBinary(nullptr));
    CString line;
    EXPECT_FALSE(in.ReadString(line));
    cl_output_file out;
    EXPECT_FALSE(out.OpenWrite((folder + "/no/such/folder/x.txt").c_str()));
    EXPECT_FALSE(out.WriteText("lost"));
    out.Print("%d\n", 1); // ignored without a file
}

TEST_F(TextFileTest, OpenWriteEmptiesAnExistingFile)
{
    std::string path = folder + "/faces.dxf";
    std::ofstream(path) << "old content that is long\n";
    cl_output_file out;
    ASSERT_TRUE(out.OpenWrite(path.c_str()));
    out.Print("%d\n", 7);
    out.Close();
    EXPECT_EQ(skeltest::read_file(path), "7\r\n");
}

TEST_F(TextFileTest, FindsFilesWithoutRegardToCase)
{
    std::ofstream(folder + "/door.txt") << "1\n";
    cl_input_file in;
    EXPECT_TRUE(in.OpenRead((folder + "/DOOR.TXT").c_str()));
}

TEST_F(TextFileTest, OnlyACrLfPairEndsATextLine)
{
    std::string path = folder + "/cr.txt";
    std::ofstream(path, std::ios::binary) << "a\rb\r\nc\r";
    cl_input_file in;
    ASSERT_TRUE(in.OpenRead(path.c_str()));
    CString line;
    ASSERT_TRUE(in.ReadString(line));
    EXPECT_EQ(line, "a\rb");
    ASSERT_TRUE(in.ReadString(line));
    EXPECT_EQ(line, "c\r"); // a CR at the end of the file is no line end
    EXPECT_FALSE(in.ReadString(line));
}
