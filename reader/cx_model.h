// Adaptive frequency-ranked code of 257 symbols, as used by compressed buffers.
//
// Frequencies are kept in non-increasing order of rank.  Decoding halves the
// remaining frequency mass bit by bit; each halving point is found in a table
// of prefix sums over the ranks, which every update keeps current.  The sums are
// 16-bit, which holds them all while the 16-bit total has not wrapped; once the
// total is about to wrap the model falls back to the plain linear scan, so that
// the symbols decoded stay exactly those of the format's arithmetic.
#pragma once
#include <cstdint>

struct cx_model {
    static constexpr int symbols = 257;
    // Prefix sums 0..257, padded to whole 8-lane vectors; padding holds 0xFFFF.
    static constexpr int prefix_length = 264;

    std::uint16_t freq[symbols];   // by rank
    std::uint16_t sym[symbols];    // symbol at rank
    std::uint16_t rank[symbols];   // rank of symbol
    std::uint16_t total;
    bool linear;                   // prefix sums abandoned after the total wrapped
    alignas(16) std::uint16_t prefix[prefix_length]; // prefix[k]: sum of freq below rank k
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

// The smallest rank j in (lo, end] with prefix[j] >= target.  Needs !m.linear,
// lo < end <= 257 and prefix[end] >= target.
int cx_model_find(const cx_model &m, int lo, int end, unsigned target);
