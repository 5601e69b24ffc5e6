// Hostile entity records: huge modified entities, and the bounds on one entity,
// the cache and one definition.
#include <gtest/gtest.h>

#include "codec_test_util.h"
#include "definition_limits.h"
#include "resbuf.h"

namespace {

using bytes = std::vector<std::uint8_t>;

// Restores the default bounds after a test lowers them.
class EntityBounds : public ::testing::Test {
protected:
    void SetUp() override
    {
        use_settings(tvlw::Settings{});
        definition_budget_reset();
    }
    void TearDown() override
    {
        definition_limits_current() = definition_limits{};
        definition_budget_reset();
    }
};

// A complete LINE: the record code 0, the type, then (code, one-byte short) groups.
bytes line_with(const std::vector<std::pair<int, int>> &groups)
{
    bytes data = {0, 1};
    for (auto [code, value] : groups) {
        data.push_back(static_cast<std::uint8_t>(code));
        data.push_back(static_cast<std::uint8_t>(value));
    }
    data.push_back(0);
    return data;
}

std::vector<std::pair<int, int>> groups_of(const resbuf *chain)
{
    std::vector<std::pair<int, int>> out;
    for (const resbuf *rb = chain ? chain->next : nullptr; rb; rb = rb->next)
        out.emplace_back(rb->code, rb->value.int16);
    return out;
}

} // namespace

// Each replaced group was looked up from the head of the chain: 160,000 groups
// took 75 s.  The lookup must not walk the chain per group; what is replaced
// stays the first record of each code, in place.
TEST_F(EntityBounds, AModifiedEntityWithManyGroupsIsReadWhole)
{
    constexpr int n = 100000;
    std::vector<std::pair<int, int>> groups(n, {70, 1});
    groups.emplace_back(71, 2);
    bytes data = line_with(groups);
    data.push_back(25); // cache slot 0, each group replacing the 71 at the end
    for (int i = 0; i < n; ++i) {
        data.push_back(71);
        data.push_back(static_cast<std::uint8_t>(i % 200));
    }
    data.push_back(0);
    work_file work(data);
    rb_release(ent_read(work.f, true));
    resbuf *modified = ent_read(work.f, true);
    ASSERT_NE(modified, nullptr);
    const auto got = groups_of(modified);
    ASSERT_EQ(got.size(), static_cast<std::size_t>(n + 1));
    EXPECT_EQ(got.back(), std::make_pair(71, (n - 1) % 200));
    EXPECT_EQ(got[n - 1], std::make_pair(70, 1));
    rb_release(modified);
}

// Replacing the same code twice changes the first record of that code twice,
// whether the chain is searched directly or through its index.
TEST_F(EntityBounds, RepeatedCodesReplaceTheFirstRecordOnly)
{
    for (int replacements : {2, 12}) {
        decoder_reset();
        bytes data = line_with({{70, 1}, {71, 2}, {70, 3}});
        data.push_back(25);
        for (int i = 0; i < replacements; ++i) {
            data.push_back(70);
            data.push_back(static_cast<std::uint8_t>(10 + i));
        }
        data.push_back(0);
        data.push_back(0x100 - 26); // the modified entity, repeated from its cache slot
        work_file work(data);
        rb_release(ent_read(work.f, true));
        resbuf *modified = ent_read(work.f, true);
        const std::vector<std::pair<int, int>> expected = {{70, 10 + replacements - 1}, {71, 2}, {70, 3}};
        EXPECT_EQ(groups_of(modified), expected) << replacements;
        resbuf *repeated = ent_read(work.f, true);
        EXPECT_EQ(groups_of(repeated), expected) << replacements;
        rb_release(modified);
        rb_release(repeated);
    }
}

// A one-byte repeat of a cached entity builds the whole chain again, so a
// small library could make a definition of any size: it fails past its bound.
TEST_F(EntityBounds, ADefinitionPastItsBoundFails)
{
    definition_limits_current().entities = 3;
    bytes data = line_with({{70, 1}});
    for (int i = 0; i < 5; ++i)
        data.push_back(0x100 - 25);
    work_file work(data);
    for (int i = 0; i < 3; ++i)
        rb_release(ent_read(work.f, true));
    testing::internal::CaptureStdout();
    EXPECT_EQ(ent_read(work.f, true), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "\nERROR: Symbol definition exceeds 3 entities.");

    definition_budget_reset();
    decoder_reset();
    definition_limits_current() = definition_limits{};
    definition_limits_current().bytes = 3L * 1024 * 1024;
    std::vector<std::pair<int, int>> groups(20000, {70, 1});
    bytes big = line_with(groups);
    for (int i = 0; i < 5; ++i)
        big.push_back(0x100 - 25);
    work_file big_work(big);
    testing::internal::CaptureStdout();
    int read = 0;
    while (resbuf *chain = ent_read(big_work.f, true)) {
        rb_release(chain);
        ++read;
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "\nERROR: Symbol definition exceeds 3 MB.");
    EXPECT_LT(read, 6);
}

TEST_F(EntityBounds, OneEntityAndTheCacheAreBounded)
{
    definition_limits_current().entity_bytes = 1024 * 1024;
    std::vector<std::pair<int, int>> groups(40000, {70, 1});
    work_file huge(line_with(groups));
    testing::internal::CaptureStdout();
    EXPECT_EQ(ent_read(huge.f, true), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "\nERROR: Entity exceeds 1 MB.");

    // Two entities of 0.6 MB each fit one at a time, not both in the cache.
    definition_limits_current() = definition_limits{};
    definition_limits_current().cache_bytes = 1024 * 1024;
    decoder_reset();
    groups.resize(15000);
    bytes two = line_with(groups);
    const bytes second = line_with(groups);
    two.insert(two.end(), second.begin(), second.end());
    work_file work(two);
    rb_release(ent_read(work.f, true));
    testing::internal::CaptureStdout();
    EXPECT_EQ(ent_read(work.f, true), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "\nERROR: Entity cache exceeds 1 MB.");
}
