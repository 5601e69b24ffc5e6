#include "cx_model.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

void cx_model_init(cx_model &m)
{
    for (int r = 0; r < cx_model::symbols; ++r) {
        m.freq[r] = 1;
        m.sym[r] = static_cast<std::uint16_t>(r);
        m.rank[r] = static_cast<std::uint16_t>(r);
    }
    m.total = cx_model::symbols;
    m.linear = false;
    for (int b = 0; b < cx_model::block_slots; ++b)
        m.block_base[b] = static_cast<std::uint16_t>(b < cx_model::blocks ? 8 * b : 0);
    for (int k = 0; k < cx_model::blocks * 8; ++k)
        m.in_block[k] = static_cast<std::uint16_t>(k & 7);
    for (auto &h : m.hint)
        h = 0;
}

namespace {

void swap_ranks(cx_model &m, int i, int r)
{
    const std::uint16_t si = m.sym[i];
    const std::uint16_t sr = m.sym[r];
    m.sym[i] = sr;
    m.sym[r] = si;
    m.rank[sr] = static_cast<std::uint16_t>(i);
    m.rank[si] = static_cast<std::uint16_t>(r);
}

// What one count at rank i adds to the sums: 1 to the lanes after i's within its
// block, and 1 to the base of every later block (never to the padding slots).
struct increment_rows {
    alignas(16) std::uint16_t after_lane[8][8];
    alignas(16) std::uint16_t after_block[cx_model::blocks][cx_model::block_slots];
};

constexpr increment_rows make_increment_rows()
{
    increment_rows rows{};
    for (int lane = 0; lane < 8; ++lane)
        for (int k = 0; k < 8; ++k)
            rows.after_lane[lane][k] = k > lane ? 1 : 0;
    for (int block = 0; block < cx_model::blocks; ++block)
        for (int k = 0; k < cx_model::block_slots; ++k)
            rows.after_block[block][k] = k > block && k < cx_model::blocks ? 1 : 0;
    return rows;
}

constexpr increment_rows increments = make_increment_rows();

// Adds 1 to the prefix sum of every rank above i.
void prefix_increment_after(cx_model &m, int i)
{
    const int block = i >> 3;
#if defined(__SSE2__)
    const auto add_row = [](std::uint16_t *to, const std::uint16_t *row) {
        auto *v = reinterpret_cast<__m128i *>(to);
        _mm_store_si128(v, _mm_add_epi16(_mm_load_si128(v), _mm_load_si128(reinterpret_cast<const __m128i *>(row))));
    };
    add_row(m.in_block + 8 * block, increments.after_lane[i & 7]);
    const std::uint16_t *row = increments.after_block[block];
    add_row(m.block_base, row);
    add_row(m.block_base + 8, row + 8);
    add_row(m.block_base + 16, row + 16);
    add_row(m.block_base + 24, row + 24);
    add_row(m.block_base + 32, row + 32);
#else
    for (int k = 0; k < 8; ++k)
        m.in_block[8 * block + k] = static_cast<std::uint16_t>(m.in_block[8 * block + k] + increments.after_lane[i & 7][k]);
    for (int k = 0; k < cx_model::block_slots; ++k)
        m.block_base[k] = static_cast<std::uint16_t>(m.block_base[k] + increments.after_block[block][k]);
#endif
}

} // namespace

void cx_model_update(cx_model &m, int r)
{
    if (!m.linear && m.total == 0xFFFF)
        m.linear = true;
    if (m.linear) {
        // 16-bit arithmetic exactly as the format counts.
        m.freq[r] = static_cast<std::uint16_t>(m.freq[r] + 1);
        m.total = static_cast<std::uint16_t>(m.total + 1);
        const std::uint16_t f = m.freq[r];
        int i = r;
        while (i > 0 && m.freq[i - 1] < f)
            --i;
        if (i != r) {
            m.freq[r] = m.freq[i];
            m.freq[i] = f;
            swap_ranks(m, i, r);
        }
        return;
    }
    // Without wrap-around the ranks below r that fall behind the new count are
    // exactly those holding r's old count: the first of them is found by a
    // binary search over the non-increasing counts.
    const std::uint16_t old = m.freq[r];
    int i = r;
    if (r > 0 && m.freq[r - 1] == old) {
        const std::uint16_t *base = m.freq;
        unsigned n = static_cast<unsigned>(r) + 1; // freq[r] == old closes the range
        while (n > 1) {
            const unsigned half = n / 2;
            // A mask rather than a branch: the comparison is as good as random.
            base += half & (0u - static_cast<unsigned>(base[half - 1] > old));
            n -= half;
        }
        i = static_cast<int>(base - m.freq);
    }
    // Swapping equal counts and then incrementing rank i is the same as
    // incrementing r and swapping.
    m.freq[i] = static_cast<std::uint16_t>(old + 1);
    if (i != r)
        swap_ranks(m, i, r);
    m.total = static_cast<std::uint16_t>(m.total + 1);
    prefix_increment_after(m, i);
}

int cx_model_find(const cx_model &m, int lo, int end, unsigned target)
{
    // The sums rise strictly with the rank, so a binary search finds j.
    int first = lo + 1;
    unsigned n = static_cast<unsigned>(end - lo);
    while (n > 1) {
        const unsigned half = n / 2;
        first = cx_model_prefix(m, first + static_cast<int>(half) - 1) < target ? first + static_cast<int>(half) : first;
        n -= half;
    }
    return first;
}
