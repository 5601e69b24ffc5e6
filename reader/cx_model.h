// Adaptive frequency-ranked code of 257 symbols, as used by compressed buffers.
//
// Frequencies are kept in non-increasing order of rank.  Decoding halves the
// remaining frequency mass bit by bit; each halving point is found from prefix
// sums over the ranks, which every update keeps current.  The sums are kept in
// two levels (per block of 8 ranks, and within the block) so that an update
// touches a few vectors instead of every rank behind it.  They are 16-bit, which
// holds them all while the 16-bit total has not wrapped; once the total is about
// to wrap the model falls back to the plain linear scan, so that the symbols
// decoded stay exactly those of the format's arithmetic.
#pragma once
#include <cstdint>

struct cx_model {
    static constexpr int symbols = 257;
    static constexpr int blocks = 33;        // of 8 ranks, the last one partly used
    static constexpr int block_slots = 40;   // blocks rounded up to whole vectors

    std::uint16_t freq[symbols];   // by rank
    std::uint16_t sym[symbols];    // symbol at rank
    std::uint16_t rank[symbols];   // rank of symbol
    std::uint16_t total;
    bool linear;                   // prefix sums abandoned after the total wrapped
    // Sum of freq below rank k: block_base[k / 8] + in_block[k].
    alignas(16) std::uint16_t block_base[block_slots];
    alignas(16) std::uint16_t in_block[blocks * 8];
    // Where each of the first halving steps ended last time, by the bits read so
    // far (1, then 2·node + bit); one update moves these points by little, so
    // they are checked and nudged rather than searched for again.  0: none yet.
    static constexpr int hinted_nodes = 256;
    std::uint16_t hint[hinted_nodes];
};

// A fresh model: every frequency 1, symbol s at rank s, total 257.
void cx_model_init(cx_model &m);

// Counts one more occurrence of the symbol at rank r and moves it to the front
// of its group of equal frequency.
void cx_model_update(cx_model &m, int r);

// Sum of the frequencies below rank k (0 to 257); only while !m.linear.
inline unsigned cx_model_prefix(const cx_model &m, int k)
{
    return static_cast<unsigned>(m.block_base[k >> 3]) + m.in_block[k];
}

// The smallest rank j in (lo, end] with cx_model_prefix(j) >= target.  Needs
// !m.linear, lo < end <= 257 and cx_model_prefix(end) >= target.
int cx_model_find(const cx_model &m, int lo, int end, unsigned target);
