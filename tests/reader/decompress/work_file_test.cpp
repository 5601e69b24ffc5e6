// The work file stream writes every byte to the file and reads back from memory:
// what a definition reads must be what the file holds, and a file that refuses
// to be written must still fail the writes.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "work_file.h"

namespace {

std::vector<unsigned char> on_disk(const std::string &path)
{
    std::vector<unsigned char> bytes;
    std::FILE *f = std::fopen(path.c_str(), "rb");
    for (int c; f && (c = std::fgetc(f)) != EOF;)
        bytes.push_back(static_cast<unsigned char>(c));
    if (f)
        std::fclose(f);
    return bytes;
}

TEST(WorkFile, ReadsBackWhatTheFileHolds)
{
    char name[] = "/tmp/workfileXXXXXX";
    const int fd = mkstemp(name);
    ASSERT_GE(fd, 0);
    std::FILE *work = work_file_mirror(fdopen(fd, "w+b"));
    ASSERT_NE(work, nullptr);

    // Records appended, a size field patched afterwards, a gap left by a seek
    // past the end (read back as zeros), as the request loader writes them.
    std::vector<unsigned char> expected;
    for (int i = 0; i < 20000; ++i)
        expected.push_back(static_cast<unsigned char>(i * 7));
    ASSERT_EQ(std::fwrite(expected.data(), 1, expected.size(), work), expected.size());
    ASSERT_EQ(std::fseek(work, 100, SEEK_SET), 0);
    const unsigned char size_field[4] = {1, 2, 3, 4};
    ASSERT_EQ(std::fwrite(size_field, 1, 4, work), 4u);
    std::copy(size_field, size_field + 4, expected.begin() + 100);
    ASSERT_EQ(std::fseek(work, 30, SEEK_END), 0);
    ASSERT_EQ(std::fputc(9, work), 9);
    expected.resize(expected.size() + 30, 0);
    expected.push_back(9);
    EXPECT_EQ(std::ftell(work), static_cast<long>(expected.size()));

    std::vector<unsigned char> read(expected.size() + 10);
    ASSERT_EQ(std::fseek(work, 0, SEEK_SET), 0);
    EXPECT_EQ(std::fread(read.data(), 1, read.size(), work), expected.size());
    read.resize(expected.size());
    EXPECT_EQ(read, expected);
    // Reading, then writing at the position reached, then reading again.
    ASSERT_EQ(std::fseek(work, 5, SEEK_SET), 0);
    EXPECT_EQ(std::fgetc(work), expected[5]);
    ASSERT_EQ(std::fseek(work, 0, SEEK_CUR), 0);
    ASSERT_EQ(std::fputc(0xAB, work), 0xAB);
    expected[6] = 0xAB;
    ASSERT_EQ(std::fseek(work, 6, SEEK_SET), 0);
    EXPECT_EQ(std::fgetc(work), 0xAB);

    EXPECT_EQ(std::fclose(work), 0);
    EXPECT_EQ(on_disk(name), expected);
    unlink(name);
}

TEST(WorkFile, AFullDiskFailsTheWrites)
{
    std::FILE *full = std::fopen("/dev/full", "w+b");
    if (!full)
        GTEST_SKIP() << "no /dev/full";
    std::FILE *work = work_file_mirror(full);
    std::vector<unsigned char> bytes(100000, 1);
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), work) == bytes.size() && std::fflush(work) == 0;
    EXPECT_FALSE(written);
    std::fclose(work);
}

} // namespace
