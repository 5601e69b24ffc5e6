// The adaptive frequency-ranked code of compressed buffers, on the encoding
// side: it walks the same halving steps as the decoder and writes the bit that
// leads to the symbol's rank.
#pragma once
#include <cstdint>
#include <vector>

namespace tvlw {

class BitWriter {
public:
    void put(unsigned value, int bits)
    {
        for (int i = 0; i < bits; ++i)
            bit((value >> i) & 1);
    }
    void bit(unsigned b)
    {
        if (used_ == 0)
            bytes_.push_back(0);
        if (b)
            bytes_.back() = static_cast<std::uint8_t>(bytes_.back() | (1u << used_));
        used_ = (used_ + 1) & 7;
    }
    std::size_t size() const { return bytes_.size(); }
    std::vector<std::uint8_t> take() { return std::move(bytes_); }

private:
    std::vector<std::uint8_t> bytes_;
    int used_ = 0;
};

class CxModel {
public:
    static constexpr int symbols = 257;
    CxModel();
    void update(int rank);
    void encode(int symbol, BitWriter &out);
    // Updates left before the 16-bit total would wrap.
    int headroom() const { return 0xFFFF - total_; }

private:
    std::uint16_t freq_[symbols];
    std::uint16_t sym_[symbols];
    std::uint16_t rank_[symbols];
    unsigned total_;
};

} // namespace tvlw
