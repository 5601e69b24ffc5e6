#include <gtest/gtest.h>

#include <random>
#include <string>

#include "codec_test_util.h"
#include "decompress.h"
#include "writer/compress.h"

namespace {

std::vector<std::uint8_t> sample(std::size_t n)
{
    std::mt19937 rng(7);
    std::vector<std::uint8_t> out;
    const std::string words[] = {"CIRCLE", "ATTDEF", "\x10\x20\x30", "0.000", "TEXT"};
    while (out.size() < n) {
        const std::string &w = words[rng() % 5];
        out.insert(out.end(), w.begin(), w.end());
        out.push_back(static_cast<std::uint8_t>(rng() % 7));
    }
    out.resize(n);
    return out;
}

// Copies one record's stored data to a fresh work file; answers the plain bytes.
long copy(const std::vector<std::uint8_t> &record, std::vector<std::uint8_t> &plain)
{
    work_file lib(record);
    std::FILE *work = std::tmpfile();
    std::int32_t s = 0;
    std::fread(&s, 4, 1, lib.f);
    const long n = lib_copy_chunks(work, lib.f, s);
    plain.clear();
    std::rewind(work);
    int c;
    while ((c = std::fgetc(work)) != EOF)
        plain.push_back(static_cast<std::uint8_t>(c));
    std::fclose(work);
    return n;
}

std::vector<std::uint8_t> header(long s, unsigned u, unsigned z)
{
    return {static_cast<std::uint8_t>(s), static_cast<std::uint8_t>(s >> 8), 0, 0,
            static_cast<std::uint8_t>(u), static_cast<std::uint8_t>(u >> 8),
            static_cast<std::uint8_t>(z), static_cast<std::uint8_t>(z >> 8)};
}

TEST(ChunkCopy, EveryCompressionRoundTripsAcrossChunks)
{
    const auto plain = sample(100000);
    using tvlw::Compression;
    for (Compression c : {Compression::stored, Compression::method0, Compression::method1,
                          Compression::method2, Compression::method3, Compression::smallest}) {
        const auto record = tvlw::encode_record_data(plain, c, 16000);
        std::vector<std::uint8_t> out;
        ASSERT_EQ(copy(record, out), static_cast<long>(plain.size()));
        EXPECT_EQ(out, plain);
        if (c != Compression::stored) {
            EXPECT_LT(record.size(), plain.size());
        }
    }
    // Empty data is one empty chunk.
    std::vector<std::uint8_t> out;
    EXPECT_EQ(copy(tvlw::encode_record_data({}, Compression::smallest), out), 0);
}

TEST(ChunkCopy, StoredChunkPassesThroughWhateverItHolds)
{
    auto record = header(9, 5, 5);
    for (int b : {0xFF, 0x00, 0x07, 0x80, 0x41})
        record.push_back(static_cast<std::uint8_t>(b));
    std::vector<std::uint8_t> out;
    ASSERT_EQ(copy(record, out), 5);
    EXPECT_EQ(out, (std::vector<std::uint8_t>{0xFF, 0x00, 0x07, 0x80, 0x41}));
}

TEST(ChunkCopy, FailuresGiveTheirMessages)
{
    std::vector<std::uint8_t> out;
    // First chunk stored length above its plain length.
    // (message-box texts are not checked: a declined box silences the rest)
    EXPECT_EQ(copy(header(10, 4, 6), out), -1);

    // Fewer stored bytes than announced.
    auto short_read = header(10, 6, 6);
    short_read.push_back(1);
    testing::internal::CaptureStdout();
    EXPECT_EQ(copy(short_read, out), -1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "\nERROR: reading file.");

    // A Cx buffer that does not decode to its plain length.
    auto bad = header(7, 8, 3);
    bad.insert(bad.end(), {0x07, 0x00, 0x00}); // method 7
    EXPECT_EQ(copy(bad, out), -1);

    // A later chunk larger than the buffers the first chunk sized.
    auto big = header(4 + 2 + 4 + 400, 2, 2);
    big.insert(big.end(), {'a', 'b'});
    big.insert(big.end(), {0x90, 0x01, 0x90, 0x01});
    big.resize(big.size() + 400, 'c');
    EXPECT_EQ(copy(big, out), -1);
}

} // namespace
