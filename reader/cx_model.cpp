#include "cx_model.h"

void cx_model_init(cx_model &m)
{
    for (int r = 0; r < cx_model::symbols; ++r) {
        m.freq[r] = 1;
        m.sym[r] = static_cast<std::uint16_t>(r);
        m.rank[r] = static_cast<std::uint16_t>(r);
    }
    m.total = cx_model::symbols;
    m.linear = false;
    // All frequencies are 1: node i covers (i & -i) ranks.
    m.tree[0] = 0;
    for (int i = 1; i <= cx_model::symbols; ++i)
        m.tree[i] = static_cast<std::uint32_t>(i & -i);
}

static void swap_ranks(cx_model &m, int i, int r)
{
    const std::uint16_t si = m.sym[i];
    const std::uint16_t sr = m.sym[r];
    m.sym[i] = sr;
    m.sym[r] = si;
    m.rank[sr] = static_cast<std::uint16_t>(i);
    m.rank[si] = static_cast<std::uint16_t>(r);
}

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
    // exactly those holding r's old count: find the first by binary search.
    const std::uint16_t old = m.freq[r];
    int lo = 0, hi = r;
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (m.freq[mid] <= old)
            hi = mid;
        else
            lo = mid + 1;
    }
    const int i = lo;
    // Swapping equal counts and then incrementing rank i is the same as
    // incrementing r and swapping.
    m.freq[i] = static_cast<std::uint16_t>(old + 1);
    if (i != r)
        swap_ranks(m, i, r);
    m.total = static_cast<std::uint16_t>(m.total + 1);
    for (int k = i + 1; k <= cx_model::symbols; k += k & -k)
        ++m.tree[k];
}
