// Files and folders that others may have put in our way: pipes, devices and
// folders named as files, and a drive C folder made first by someone else.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "scratch_folder.h"
#include "skelvane/paths.h"

namespace {

// A hang must fail the test, not stall the whole run: SIGALRM ends the process.
class no_hang {
public:
    no_hang() { ::alarm(20); }
    ~no_hang() { ::alarm(0); }
};

using skeltest::scoped_env;
using skeltest::scratch_folder;

} // namespace

// A pipe named as a file must neither block the open (no writer ever comes)
// nor be read as a file; the same holds for folders and devices.
TEST(HostilePaths, ReadingRefusesPipesFoldersAndDevicesWithoutWaiting)
{
    scratch_folder folder;
    scoped_env drive("SKELVANE_DRIVE_C", folder.path().c_str());
    ASSERT_EQ(::mkfifo((folder / "p.tvl").c_str(), 0600), 0);
    std::filesystem::create_directory(folder / "dir.tvl");
    no_hang guard;
    for (const char *mode : {"rb", "r", "r+b"}) {
        EXPECT_EQ(skel_fopen("C:\\p.tvl", mode), nullptr) << mode;
        EXPECT_EQ(skel_fopen("C:\\P.TVL", mode), nullptr) << mode;
        EXPECT_EQ(skel_fopen("C:\\dir.tvl", mode), nullptr) << mode;
        EXPECT_EQ(skel_fopen("/dev/null", mode), nullptr) << mode;
        EXPECT_EQ(skel_fopen_host(folder / "p.tvl", mode), nullptr) << mode;
    }
    std::string content;
    EXPECT_FALSE(skel_read_host_file(folder / "p.tvl", content));
    EXPECT_FALSE(skel_read_host_file("/dev/zero", content)); // would never end
    // Nobody reads the pipe: writing fails at once instead of waiting.
    EXPECT_EQ(skel_fopen("C:\\p.tvl", "wb"), nullptr);
    EXPECT_EQ(skel_fopen("C:\\p.tvl", "w+b"), nullptr);
}

TEST(HostilePaths, RegularFilesAndWritableDevicesStillOpen)
{
    scratch_folder folder;
    std::ofstream(folder / "plain.txt") << "text";
    std::string content;
    EXPECT_TRUE(skel_read_host_file(folder / "plain.txt", content));
    EXPECT_EQ(content, "text");
    std::FILE *out = skel_fopen(("/" + (folder / "plain.txt").substr(1)).c_str(), "ab");
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(std::fputs("+more", out), 1);
    EXPECT_EQ(std::fclose(out), 0);
    EXPECT_TRUE(skel_read_host_file(folder / "plain.txt", content));
    EXPECT_EQ(content, "text+more");
    // Output may go to a device.
    std::FILE *null = skel_fopen("/dev/null", "w");
    ASSERT_NE(null, nullptr);
    std::fclose(null);
    // "x" creates exclusively and never follows a planted link.
    std::filesystem::create_symlink(folder / "target", folder / "link");
    EXPECT_EQ(skel_fopen_host(folder / "link", "wbx"), nullptr);
    EXPECT_FALSE(std::filesystem::exists(folder / "target"));
    EXPECT_EQ(skel_fopen_host(folder / "plain.txt", "wbx"), nullptr);
    std::FILE *fresh = skel_fopen_host(folder / "fresh", "wbx");
    ASSERT_NE(fresh, nullptr);
    std::fclose(fresh);
}

// Without HOME, drive C must not be a folder that any user can make first:
// a settings file planted there would choose the program the bridge runs.
TEST(HostilePaths, DriveCWithoutAHomeIsAPrivateFolder)
{
    scratch_folder tmp;
    scoped_env home("HOME", nullptr), xdg("XDG_DATA_HOME", nullptr), mapped("SKELVANE_DRIVE_C", nullptr),
        temp("TMPDIR", tmp.path().c_str());
    const std::string own = tmp / ("skelvane-" + std::to_string(::geteuid()));

    std::string root;
    ASSERT_TRUE(skel_drive_root('C', root));
    EXPECT_EQ(root, own + "/skelvane/drive_c");
    struct stat st;
    ASSERT_EQ(::stat(own.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_TRUE(std::filesystem::is_directory(root));

    // Opened up to others, or a link in its place: drive C does not exist.
    ::chmod(own.c_str(), 0777);
    EXPECT_FALSE(skel_drive_root('C', root));
    std::FILE *planted = skel_fopen("C:\\pxqrimp.ini", "rb");
    EXPECT_EQ(planted, nullptr);
    std::filesystem::remove_all(own);
    std::filesystem::create_directory(tmp / "elsewhere");
    std::filesystem::create_directory_symlink(tmp / "elsewhere", own);
    EXPECT_FALSE(skel_drive_root('C', root));
    EXPECT_TRUE(std::filesystem::is_empty(tmp / "elsewhere"));
}
