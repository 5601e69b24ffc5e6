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
    for (int k = 0; k <= cx_model::symbols; ++k)
        m.prefix[k] = static_cast<std::uint16_t>(k);
    // Above every real sum, so searches never stop inside the padding by mistake
    // and saturating increments leave it alone.
    for (int k = cx_model::symbols + 1; k < cx_model::prefix_length; ++k)
        m.prefix[k] = 0xFFFF;
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

// Adds 1 to prefix[k] for every k > i.
void prefix_increment_after(cx_model &m, int i)
{
#if defined(__SSE2__)
    int block = (i + 1) >> 3;
    auto *p = reinterpret_cast<__m128i *>(m.prefix);
    const __m128i lanes = _mm_add_epi16(_mm_setr_epi16(0, 1, 2, 3, 4, 5, 6, 7),
                                        _mm_set1_epi16(static_cast<short>(block * 8)));
    const __m128i after = _mm_srli_epi16(_mm_cmpgt_epi16(lanes, _mm_set1_epi16(static_cast<short>(i))), 15);
    p[block] = _mm_adds_epu16(_mm_load_si128(p + block), after);
    const __m128i one = _mm_set1_epi16(1);
    for (++block; block < cx_model::prefix_length / 8; ++block)
        p[block] = _mm_adds_epu16(_mm_load_si128(p + block), one);
#else
    for (int k = i + 1; k <= cx_model::symbols; ++k)
        ++m.prefix[k];
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
            base = base[half - 1] > old ? base + half : base;
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
#if defined(__SSE2__)
    // The sums rise strictly, so j is the number of sums below the target; every
    // sum up to lo is below it and every sum from end on is not, so only the
    // vectors between need counting.
    const int first = (lo + 1) >> 3;
    const int last = end >> 3;
    const auto *p = reinterpret_cast<const __m128i *>(m.prefix);
    const __m128i bias = _mm_set1_epi16(static_cast<short>(0x8000));
    const __m128i t = _mm_xor_si128(_mm_set1_epi16(static_cast<short>(target)), bias);
    __m128i count = _mm_setzero_si128();
    for (int b = first; b <= last; ++b)
        count = _mm_sub_epi16(count, _mm_cmplt_epi16(_mm_xor_si128(_mm_load_si128(p + b), bias), t));
    // Lane counts are below 256: add the bytes of each half.
    const __m128i sums = _mm_sad_epu8(count, _mm_setzero_si128());
    const int below = _mm_cvtsi128_si32(sums) + _mm_cvtsi128_si32(_mm_srli_si128(sums, 8));
    return first * 8 + below;
#else
    const std::uint16_t *base = m.prefix + lo + 1;
    unsigned n = static_cast<unsigned>(end - lo);
    while (n > 1) {
        const unsigned half = n / 2;
        base = base[half - 1] < target ? base + half : base;
        n -= half;
    }
    return static_cast<int>(base - m.prefix);
#endif
}
