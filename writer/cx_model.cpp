// The model of the adaptive code: frequencies by rank, kept in the order the
// decoder keeps them.
#include "cx_model.h"

namespace tvlw {

CxModel::CxModel() : total_(symbols)
{
    for (int i = 0; i < symbols; ++i) {
        freq_[i] = 1;
        sym_[i] = rank_[i] = static_cast<std::uint16_t>(i);
    }
}

void CxModel::update(int r)
{
    ++freq_[r];
    ++total_;
    const std::uint16_t f = freq_[r];
    int i = r;
    while (i > 0 && freq_[i - 1] < f)
        --i;
    if (i != r) {
        freq_[r] = freq_[i];
        freq_[i] = f;
        const std::uint16_t si = sym_[i], sr = sym_[r];
        sym_[i] = sr;
        sym_[r] = si;
        rank_[sr] = static_cast<std::uint16_t>(i);
        rank_[si] = static_cast<std::uint16_t>(r);
    }
}

void CxModel::encode(int symbol, BitWriter &out)
{
    const int target = rank_[symbol];
    int lo = 0;
    unsigned w = total_;
    do {
        const unsigned half = w / 2;
        unsigned sum = 0;
        int j = lo;
        while (sum < half)
            sum += freq_[j++];
        // The decoder moves to the upper part on 1.
        if (target >= j) {
            out.bit(1);
            lo = j;
            w -= sum;
        } else {
            out.bit(0);
            w = sum;
        }
    } while (freq_[lo] < w);
    update(lo);
}

} // namespace tvlw
