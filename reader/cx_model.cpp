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

// Adds 1 to the prefix sum of every rank above i.
void prefix_increment_after(cx_model &m, int i)
{
    const int block = i >> 3;
#if defined(__SSE2__)
    const __m128i lanes = _mm_setr_epi16(0, 1, 2, 3, 4, 5, 6, 7);
    auto *in_block = reinterpret_cast<__m128i *>(m.in_block) + block;
    const __m128i after_i = _mm_cmpgt_epi16(lanes, _mm_set1_epi16(static_cast<short>(i & 7)));
    _mm_store_si128(in_block, _mm_sub_epi16(_mm_load_si128(in_block), after_i));
    alignas(16) static const std::uint16_t block_index[cx_model::block_slots] = {
        0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16, 17, 18, 19,
        20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39};
    const auto *index = reinterpret_cast<const __m128i *>(block_index);
    auto *bases = reinterpret_cast<__m128i *>(m.block_base);
    const __m128i this_block = _mm_set1_epi16(static_cast<short>(block));
    for (int v = 0; v < cx_model::block_slots / 8; ++v) {
        const __m128i later = _mm_cmpgt_epi16(_mm_load_si128(index + v), this_block);
        _mm_store_si128(bases + v, _mm_sub_epi16(_mm_load_si128(bases + v), later));
    }
#else
    for (int k = i + 1; k < (block + 1) * 8; ++k)
        ++m.in_block[k];
    for (int b = block + 1; b < cx_model::block_slots; ++b)
        ++m.block_base[b];
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
