// The decoder of compressed buffers keeps prefix sums and vector searches for
// speed; this reference decodes the same way with nothing but linear scans and
// 16-bit counts, and every buffer here must come out identical from both.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "cx_model.h"
#include "decompress.h"
#include "writer/compress.h"

namespace {

struct ref_model {
    std::uint16_t f[257], s[257], t = 257;

    ref_model()
    {
        for (int r = 0; r < 257; ++r) {
            f[r] = 1;
            s[r] = static_cast<std::uint16_t>(r);
        }
    }

    void update(int r)
    {
        ++f[r];
        ++t;
        const std::uint16_t v = f[r];
        int i = r;
        while (i > 0 && f[i - 1] < v)
            --i;
        if (i != r) {
            std::swap(f[i], f[r]);
            std::swap(s[i], s[r]);
        }
    }
};

struct ref_bits {
    const std::uint8_t *p;
    std::size_t z, pos = 0; // in bits

    bool more() const { return pos / 8 < z; }
    bool get(int n, unsigned &v)
    {
        v = 0;
        for (int i = 0; i < n; ++i, ++pos) {
            if (pos / 8 >= z)
                return false;
            v |= static_cast<unsigned>((p[pos / 8] >> (pos % 8)) & 1) << i;
        }
        return true;
    }
};

int ref_symbol(ref_model &m, ref_bits &in)
{
    int lo = 0;
    std::uint16_t w = m.t;
    do {
        const std::uint16_t half = w / 2;
        std::uint16_t sum = 0;
        int j = lo;
        while (sum < half) {
            if (j >= 257)
                return -1;
            sum = static_cast<std::uint16_t>(sum + m.f[j++]);
        }
        unsigned bit;
        if (!in.get(1, bit))
            return -1;
        if (bit) {
            lo = j;
            w = static_cast<std::uint16_t>(w - sum);
        } else {
            w = sum;
        }
        if (lo >= 257)
            return -1;
    } while (m.f[lo] < w);
    const int sym = m.s[lo];
    m.update(lo);
    return sym;
}

int ref_decode(const std::vector<std::uint8_t> &zb, std::vector<std::uint8_t> &out, std::size_t u)
{
    ref_bits in{zb.data(), zb.size()};
    out.clear();
    unsigned method;
    if (!in.get(3, method) || method > 3)
        return -1;
    ref_model high, len, lit;
    if (method == 1) {
        for (int i = 0; i < 4; ++i) high.update(1);
        for (int i = 0; i < 3; ++i) high.update(2);
        for (int i = 0; i < 2; ++i) high.update(3);
    } else if (method >= 2) {
        for (int i = 0; i < 64; ++i) high.update(0);
        for (int r = 0; r < 4; ++r)
            for (int i = 0; i < 4; ++i) len.update(r);
    }
    while (in.more()) {
        unsigned v;
        if (!in.get(1, v))
            return -1;
        if (v == 0) {
            if (out.size() == u)
                return static_cast<int>(u);
            int c;
            if (method == 3)
                c = ref_symbol(lit, in);
            else
                c = in.get(8, v) ? static_cast<int>(v) : -1;
            if (c < 0 || c > 255)
                return -1;
            out.push_back(static_cast<std::uint8_t>(c));
            continue;
        }
        // The high part, 256 standing for the end marker.
        int h = 0;
        bool has_high = true;
        if (method <= 1) {
            if (!in.get(1, v))
                return -1;
            has_high = v == 1;
        }
        if (has_high && method == 0)
            h = in.get(8, v) ? (v == 0 ? 256 : static_cast<int>(v)) : -1;
        else if (has_high)
            h = ref_symbol(high, in);
        if (h < 0)
            return -1;
        if (h == 256)
            return static_cast<int>(out.size());
        int l;
        if (method >= 2) {
            l = ref_symbol(len, in);
        } else {
            l = in.get(3, v) ? static_cast<int>(v) : -1;
            if (l == 7)
                l = method == 0 ? (in.get(8, v) ? static_cast<int>(v) : -1) : ref_symbol(len, in);
        }
        if (l < 0 || !in.get(8, v))
            return -1;
        const std::size_t d = ((static_cast<unsigned>(h) << 8) | v) & 0xFFFF;
        if (d > out.size() || d == 0)
            return -1;
        for (int i = 0; i < l + 2; ++i) {
            if (out.size() == u)
                return static_cast<int>(u);
            out.push_back(out[out.size() - d]);
        }
    }
    return -1;
}

// Decodes with both and compares the answer and, on success, the bytes.
// Answers the reference's result.
int expect_same(const std::vector<std::uint8_t> &z, std::size_t u)
{
    std::vector<std::uint8_t> expected;
    const int want = ref_decode(z, expected, u);
    std::vector<std::uint8_t> out(u + 300);
    const int got = cx_decode(z.data(), z.size(), out.data(), u);
    EXPECT_EQ(got, want);
    if (got > 0 && got == want) {
        EXPECT_EQ(std::memcmp(out.data(), expected.data(), static_cast<std::size_t>(got)), 0);
    }
    return want;
}

// Plain data whose statistics vary with the seed: skewed bytes, words, runs.
std::vector<std::uint8_t> sample(std::mt19937 &rng)
{
    const std::size_t n = rng() % 3 == 0 ? rng() % 65536 : rng() % 3000;
    const unsigned alphabet = 1 + rng() % 256;
    const unsigned repeat = rng() % 8;
    std::vector<std::uint8_t> out;
    while (out.size() < n) {
        if (!out.empty() && rng() % 8 < repeat) {
            const std::size_t d = 1 + rng() % std::min<std::size_t>(out.size(), 1u + rng() % 70000);
            const std::size_t l = 2 + rng() % 300;
            for (std::size_t i = 0; i < l && out.size() < n; ++i)
                out.push_back(out[out.size() - d]);
        } else {
            // Squaring skews toward small values.
            const unsigned r = rng() % alphabet;
            out.push_back(static_cast<std::uint8_t>(r * r / alphabet));
        }
    }
    return out;
}

TEST(CxReference, RandomEncodesDecodeAlikeWithEveryMethod)
{
    std::mt19937 rng(20240611);
    int compared = 0;
    for (int round = 0; round < 120; ++round) {
        const auto plain = sample(rng);
        for (int method = 0; method <= 3; ++method) {
            const auto z = tvlw::cx_encode(plain.data(), plain.size(), method);
            if (z.empty())
                continue;
            SCOPED_TRACE(testing::Message() << "round " << round << " method " << method << " size " << plain.size());
            ASSERT_EQ(expect_same(z, plain.size()), static_cast<int>(plain.size()));
            // The same buffer cut short or told a smaller plain length.
            expect_same({z.begin(), z.begin() + static_cast<long>(z.size() / 2)}, plain.size());
            expect_same(z, plain.size() / 3);
            ++compared;
        }
    }
    EXPECT_GT(compared, 300);
}

TEST(CxReference, ReusedModelStorageCarriesNothingBetweenBuffers)
{
    // A record's chunks share one model storage: whatever one buffer leaves in
    // it (counts, remembered halving points) must not reach the next one.
    std::mt19937 rng(99);
    cx_model models[3];
    for (int round = 0; round < 60; ++round) {
        const auto plain = sample(rng);
        const int method = static_cast<int>(rng() % 4);
        const auto z = tvlw::cx_encode(plain.data(), plain.size(), method);
        if (z.empty())
            continue;
        SCOPED_TRACE(testing::Message() << "round " << round << " method " << method);
        std::vector<std::uint8_t> out(plain.size() + 300);
        ASSERT_EQ(cx_decode_with(z.data(), z.size(), out.data(), plain.size(), models),
                  static_cast<int>(plain.size()));
        ASSERT_EQ(std::memcmp(out.data(), plain.data(), plain.size()), 0);
    }
}

TEST(CxReference, DamagedBuffersDecodeAlike)
{
    // Flipped bits put the models out of step with the encoder: both decoders
    // must then fail alike, or succeed alike with the same bytes.
    std::mt19937 rng(7);
    int decoded = 0;
    for (int round = 0; round < 400; ++round) {
        const auto plain = sample(rng);
        const int method = round % 4;
        auto z = tvlw::cx_encode(plain.data(), plain.size(), method);
        if (z.size() < 2)
            continue;
        const int flips = 1 + static_cast<int>(rng() % 3);
        for (int i = 0; i < flips; ++i) {
            const std::size_t bit = 3 + rng() % (z.size() * 8 - 3);
            z[bit / 8] = static_cast<std::uint8_t>(z[bit / 8] ^ (1u << (bit % 8)));
        }
        SCOPED_TRACE(testing::Message() << "round " << round << " method " << method);
        if (expect_same(z, plain.size()) >= 0)
            ++decoded;
        if (HasFailure())
            return;
    }
    EXPECT_GT(decoded, 20);
    // And plain noise, with the method bits of each method.
    for (int round = 0; round < 2000; ++round) {
        std::vector<std::uint8_t> z(1 + rng() % 400);
        for (auto &b : z)
            b = static_cast<std::uint8_t>(rng() & rng());
        z[0] = static_cast<std::uint8_t>((z[0] & ~7u) | (round % 4));
        expect_same(z, rng() % 2000);
        if (HasFailure())
            return;
    }
}

// Bits written least significant first, as the decoder reads them.
struct bit_writer {
    std::vector<std::uint8_t> bytes;
    int used = 0;
    bit_writer &put(unsigned v, int n)
    {
        for (int i = 0; i < n; ++i, used = (used + 1) & 7) {
            if (used == 0)
                bytes.push_back(0);
            bytes.back() = static_cast<std::uint8_t>(bytes.back() | (((v >> i) & 1) << used));
        }
        return *this;
    }
};

TEST(CxReference, OverlappingReferencesRepeatTheirBytes)
{
    // Method 0: eight literals, then distance 8 with length 30 (longer than the
    // distance), then the end marker; and the same cut short by the plain length.
    bit_writer b;
    b.put(0, 3);
    for (unsigned c = 0; c < 8; ++c)
        b.put(0, 1).put('a' + c, 8);
    b.put(1, 1).put(0, 1).put(7, 3).put(28, 8).put(8, 8);
    b.put(1, 1).put(1, 1).put(0, 8);
    for (std::size_t u : {100u, 38u, 37u, 20u, 9u}) {
        SCOPED_TRACE(u);
        EXPECT_EQ(expect_same(b.bytes, u), static_cast<int>(std::min<std::size_t>(u, 38)));
    }
}

TEST(CxReference, CountsThatWrapStillDecodeAlike)
{
    // Method 3 and all-zero bits: 65535 literals of the top-ranked symbol, so the
    // literal model's 16-bit total wraps before the end.
    std::vector<std::uint8_t> z(20000, 0);
    z[0] = 3;
    EXPECT_EQ(expect_same(z, 65535), 65535);
    // Random bits over a long buffer make the same run with other symbols.
    std::mt19937 rng(3);
    for (int round = 0; round < 4; ++round) {
        for (auto &b : z)
            b = static_cast<std::uint8_t>(rng() & rng() & rng());
        z[0] = static_cast<std::uint8_t>((z[0] & ~7u) | 3);
        expect_same(z, 65535);
        if (HasFailure())
            return;
    }
}

TEST(CxReference, ModelRanksMatchAfterManyUpdates)
{
    std::mt19937 rng(5);
    cx_model m;
    cx_model_init(m);
    ref_model r;
    for (int step = 0; step < 70000; ++step) {
        // Mostly low ranks, as real data gives, sometimes any rank.
        const int rank = rng() % 4 ? static_cast<int>(rng() % 8) : static_cast<int>(rng() % 257);
        cx_model_update(m, rank);
        r.update(rank);
        if (step % 997 == 0 || step > 65270) {
            ASSERT_EQ(m.total, r.t) << step;
            ASSERT_EQ(std::memcmp(m.freq, r.f, sizeof r.f), 0) << step;
            ASSERT_EQ(std::memcmp(m.sym, r.s, sizeof r.s), 0) << step;
            for (int s = 0; s < 257; ++s)
                ASSERT_EQ(m.sym[m.rank[s]], s);
        }
    }
}

} // namespace
