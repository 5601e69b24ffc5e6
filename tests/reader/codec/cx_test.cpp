#include <gtest/gtest.h>

#include <random>
#include <string>

#include "cx_model.h"
#include "decompress.h"
#include "writer/compress.h"

namespace {

std::vector<std::uint8_t> text_like(std::size_t n, unsigned seed)
{
    static const char *words[] = {"LINE ", "VERTEX ", "POLYLINE ", "0.5 ", "layer ", "1.25 ", "\x01\x02", "ARC "};
    std::mt19937 rng(seed);
    std::vector<std::uint8_t> out;
    while (out.size() < n) {
        const std::string w = words[rng() % 8];
        out.insert(out.end(), w.begin(), w.end());
        if (rng() % 5 == 0)
            out.push_back(static_cast<std::uint8_t>(rng()));
    }
    out.resize(n);
    return out;
}

std::vector<std::uint8_t> random_bytes(std::size_t n, unsigned seed)
{
    std::mt19937 rng(seed);
    std::vector<std::uint8_t> out(n);
    for (auto &b : out)
        b = static_cast<std::uint8_t>(rng());
    return out;
}

int decode(const std::vector<std::uint8_t> &z, std::vector<std::uint8_t> &out, std::size_t u)
{
    out.assign(u + 300, 0xEE);
    return cx_decode(z.data(), z.size(), out.data(), u);
}

// Bits written least significant first, as the decoder reads them.
struct bits {
    std::vector<std::uint8_t> bytes;
    int used = 0;
    bits &put(unsigned v, int n)
    {
        for (int i = 0; i < n; ++i) {
            if (used == 0)
                bytes.push_back(0);
            if ((v >> i) & 1)
                bytes.back() = static_cast<std::uint8_t>(bytes.back() | (1u << used));
            used = (used + 1) & 7;
        }
        return *this;
    }
};

TEST(CxCodec, EveryMethodRoundTripsVariedData)
{
    const std::vector<std::vector<std::uint8_t>> inputs = {
        text_like(65535, 1), text_like(1000, 2), random_bytes(4000, 3),
        std::vector<std::uint8_t>(30000, 'A'), text_like(3, 4), {},
    };
    for (int method = 0; method <= 3; ++method) {
        for (const auto &plain : inputs) {
            const auto z = tvlw::cx_encode(plain.data(), plain.size(), method);
            if (z.empty())
                continue; // did not fit in a buffer: the caller stores instead
            std::vector<std::uint8_t> out;
            ASSERT_EQ(decode(z, out, plain.size()), static_cast<int>(plain.size())) << "method " << method;
            EXPECT_TRUE(std::equal(plain.begin(), plain.end(), out.begin())) << "method " << method;
        }
    }
    // Repetitive data must actually shrink with every method.
    const auto text = text_like(20000, 5);
    for (int method = 0; method <= 3; ++method)
        EXPECT_LT(tvlw::cx_encode(text.data(), text.size(), method).size(), text.size() / 2);
}

TEST(CxCodec, MethodOnePrimingRanksSymbolTwoFirst)
{
    cx_model m;
    cx_model_init(m);
    for (int i = 0; i < 4; ++i)
        cx_model_update(m, 1);
    for (int i = 0; i < 3; ++i)
        cx_model_update(m, 2);
    for (int i = 0; i < 2; ++i)
        cx_model_update(m, 3);
    EXPECT_EQ(m.sym[0], 2);
    EXPECT_EQ(m.freq[0], 4);
    EXPECT_EQ(m.sym[1], 1);
    EXPECT_EQ(m.sym[2], 0);
    EXPECT_EQ(m.sym[3], 3);
    EXPECT_EQ(m.freq[1], 3);
    EXPECT_EQ(m.freq[3], 3);
    EXPECT_EQ(m.freq[4], 1);
    EXPECT_EQ(m.total, 266);
}

TEST(CxCodec, EndConditionsOfMethodZero)
{
    std::vector<std::uint8_t> out;
    // literal 'a', literal 'b', then flag 1, high bit 1, high 0: the end marker.
    bits b;
    b.put(0, 3).put(0, 1).put('a', 8).put(0, 1).put('b', 8).put(1, 1).put(1, 1).put(0, 8);
    EXPECT_EQ(decode(b.bytes, out, 10), 2);

    // A literal flag after exactly U bytes ends the buffer.
    bits c;
    c.put(0, 3).put(0, 1).put('x', 8).put(0, 1);
    EXPECT_EQ(decode(c.bytes, out, 1), 1);

    // A reference running past U is cut there: "ab" then distance 2, length 8, U = 5.
    bits d;
    d.put(0, 3).put(0, 1).put('a', 8).put(0, 1).put('b', 8).put(1, 1).put(0, 1).put(6, 3).put(2, 8);
    ASSERT_EQ(decode(d.bytes, out, 5), 5);
    EXPECT_EQ(std::string(out.begin(), out.begin() + 5), "ababa");

    // An overlapping reference repeats what it has just produced.
    bits e;
    e.put(0, 3).put(0, 1).put('z', 8).put(1, 1).put(0, 1).put(2, 3).put(1, 8).put(0, 1);
    ASSERT_EQ(decode(e.bytes, out, 5), 5);
    EXPECT_EQ(std::string(out.begin(), out.begin() + 5), "zzzzz");
}

TEST(CxCodec, CorruptBuffersFail)
{
    std::vector<std::uint8_t> out;
    for (unsigned m = 4; m <= 7; ++m) {
        bits b;
        b.put(m, 3).put(0, 5);
        EXPECT_EQ(decode(b.bytes, out, 4), -1) << m;
    }
    // Distance beyond what was produced.
    bits far;
    far.put(0, 3).put(0, 1).put('a', 8).put(1, 1).put(0, 1).put(0, 3).put(2, 8);
    EXPECT_EQ(decode(far.bytes, out, 8), -1);
    // Distance 0.
    bits zero;
    zero.put(0, 3).put(0, 1).put('a', 8).put(1, 1).put(0, 1).put(0, 3).put(0, 8);
    EXPECT_EQ(decode(zero.bytes, out, 8), -1);
    // Input that runs out inside a field or before the end.
    bits cut;
    cut.put(0, 3).put(0, 1).put('a', 4);
    EXPECT_EQ(decode(cut.bytes, out, 8), -1);
    EXPECT_EQ(decode({}, out, 8), -1);
    // Truncations of a good buffer never read outside it.
    const auto plain = text_like(2000, 9);
    for (int method = 0; method <= 3; ++method) {
        const auto z = tvlw::cx_encode(plain.data(), plain.size(), method);
        for (std::size_t len = 0; len + 1 < z.size(); len += 37) {
            std::vector<std::uint8_t> part(z.begin(), z.begin() + static_cast<std::ptrdiff_t>(len));
            EXPECT_NE(decode(part, out, plain.size()), static_cast<int>(plain.size()));
        }
    }
}

TEST(CxCodec, MethodOneLongLengthsComeFromTheLengthModel)
{
    const std::vector<std::uint8_t> run(400, 'q');
    const auto z = tvlw::cx_encode(run.data(), run.size(), 1);
    ASSERT_FALSE(z.empty());
    std::vector<std::uint8_t> out;
    ASSERT_EQ(decode(z, out, run.size()), 400);
    EXPECT_TRUE(std::equal(run.begin(), run.end(), out.begin()));
}

} // namespace
