// Adaptive frequency-ranked code of 257 symbols, as used by compressed buffers.
//
// Frequencies are kept in non-increasing order of rank.  Decoding halves the
// remaining frequency mass bit by bit; a Fenwick tree over the ranks finds each
// halving point in logarithmic time.  Once the 16-bit total is about to wrap,
// the model falls back to the plain linear scan so that the symbols decoded
// stay exactly those of the format's arithmetic.
#pragma once
#include <cstdint>

struct cx_model {
    static constexpr int symbols = 257;

    std::uint16_t freq[symbols];   // by rank
    std::uint16_t sym[symbols];    // symbol at rank
    std::uint16_t rank[symbols];   // rank of symbol
    std::uint16_t total;
    bool linear;                   // fast structure abandoned after the total wrapped
    std::uint32_t tree[symbols + 1]; // Fenwick tree of freq, 1-based
};

// A fresh model: every frequency 1, symbol s at rank s, total 257.
void cx_model_init(cx_model &m);

// Counts one more occurrence of the symbol at rank r and moves it to the front
// of its group of equal frequency.
void cx_model_update(cx_model &m, int r);
