#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "scratch_folder.h"
#include "skelvane_ui.h"
#include "tvlaccess.h"
#include "writer/entity_encoder.h"
#include "writer/library.h"

namespace {

std::vector<std::string> boxes;

int record_box(void *, const char *text, const char *, unsigned int)
{
    boxes.emplace_back(text);
    return 6; // IDYES: keep showing
}

int accept(const resbuf *)
{
    return RB_OK;
}

class WorkLimit : public testing::Test {
protected:
    void SetUp() override
    {
        boxes.clear();
        skelvane_set_message_box_provider(record_box);
        ta_init(accept, accept, nullptr);
    }
    void TearDown() override
    {
        skelvane_set_message_box_provider(nullptr);
    }

    // Block A inserts block B, whose data (a line, then padding that is never
    // read) is 65535 plain bytes packed into a few hundred, and lists B `times`
    // times among its dependencies.
    std::string library(int times)
    {
        tvlw::LibraryWriter w;
        auto b = tvlw::encode_block(w.settings(), 0, {}, "",
                                    {{"LINE", {{8, "0"}, {10, tvlw::Point{0, 0, 0}}, {11, tvlw::Point{1, 1, 0}}}}});
        for (std::size_t i = b.size(); i < 65535; ++i)
            b.push_back(static_cast<std::uint8_t>(i % 300 * 7));
        tvlw::BlockOptions packed;
        packed.compression = tvlw::Compression::method2;
        packed.chunk_size = 65535;
        packed.listed = false;
        w.add_block("B", b, packed);
        tvlw::BlockOptions inserts;
        tvlw::Dependency dep;
        dep.name = "B";
        inserts.dependencies.assign(static_cast<std::size_t>(times), dep);
        w.add_block("A", tvlw::encode_block(w.settings(), 0, {}, "", {{"INSERT", {{8, "0"}, {2, "B"}}}}), inserts);
        const std::string path = dir_ + "/blowup.tvl";
        EXPECT_TRUE(w.save(path));
        return path;
    }

    // TEMP points into it, so the work file lands there.
    skeltest::scratch_folder scratch_;
    const std::string dir_ = scratch_.path();
};

TEST_F(WorkLimit, RepeatedExpansionIsRefused)
{
    // A file of under two kilobytes would otherwise write 6.5 MB of work file.
    const std::string path = library(100);
    ASSERT_LT(std::filesystem::file_size(path), 2048u);
    EXPECT_FALSE(ta_tvldef(path.c_str(), "A"));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "\nERROR: Corrupted library file.\n\nDisplay additional messages?");
    // The work file is gone with the library closed.
    EXPECT_FALSE(std::filesystem::exists(dir_ + "/tvldir.sb$"));
}

TEST_F(WorkLimit, HighlyCompressedDataWithinTheLimitIsRead)
{
    const std::string path = library(2);
    EXPECT_TRUE(ta_tvldef(path.c_str(), "A"));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(WorkLimit, RepeatedTableRecordsAreRefused)
{
    // A layer record with 4 KB of data, listed a thousand times: 4 MB of copies
    // from a file of a few kilobytes.
    tvlw::LibraryWriter w;
    std::vector<std::uint8_t> data{1, 'L', 7, 0, 0, 0};
    data.resize(4096, 0);
    w.add_table_record(5, "L", data);
    tvlw::BlockOptions options;
    tvlw::Dependency dep;
    dep.type = 5;
    dep.name = "L";
    options.dependencies.assign(1000, dep);
    w.add_block("A", tvlw::encode_block(w.settings(), 0, {}, "", {{"LINE", {{8, "L"}}}}), options);
    const std::string path = dir_ + "/layers.tvl";
    ASSERT_TRUE(w.save(path));
    ASSERT_LT(std::filesystem::file_size(path), 16384u);
    EXPECT_FALSE(ta_tvldef(path.c_str(), "A"));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "\nERROR: Cannot write to file\n\nDisplay additional messages?");
}

} // namespace
