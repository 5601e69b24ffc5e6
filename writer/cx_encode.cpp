// Compressed buffers: a hash-chain matcher finds back references, and each
// method writes literals and references as bit fields or adaptive-code symbols.
#include <algorithm>
#include <optional>

#include "compress.h"
#include "cx_model.h"
#include "tvl_format/limits.h"

namespace tvlw {

namespace {

constexpr int hash_bits = 15;
constexpr int max_chain = 96;
constexpr std::size_t max_distance = 65535;
constexpr std::size_t max_buffer = tvl_format::max_cx_length;

unsigned hash3(const std::uint8_t *p)
{
    const unsigned v = p[0] | (p[1] << 8) | (p[2] << 16);
    return (v * 2654435761u) >> (32 - hash_bits);
}

struct Match {
    std::size_t length = 0;
    std::size_t distance = 0;
};

class Matcher {
public:
    Matcher(const std::uint8_t *data, std::size_t n, std::size_t max_length)
        : data_(data), n_(n), max_length_(max_length), head_(std::size_t{1} << hash_bits, -1), prev_(n, -1)
    {
    }

    // The longest earlier match at pos, never overlapping its own output.
    Match find(std::size_t pos) const
    {
        Match best;
        if (pos + 3 > n_)
            return best;
        int cand = head_[hash3(data_ + pos)];
        for (int chain = 0; cand >= 0 && chain < max_chain; ++chain, cand = prev_[static_cast<std::size_t>(cand)]) {
            const std::size_t dist = pos - static_cast<std::size_t>(cand);
            if (dist > max_distance)
                break;
            const std::size_t limit = std::min({max_length_, dist, n_ - pos});
            std::size_t len = 0;
            while (len < limit && data_[static_cast<std::size_t>(cand) + len] == data_[pos + len])
                ++len;
            if (len > best.length) {
                best = {len, dist};
                if (len == limit)
                    break;
            }
        }
        return best.length >= 3 ? best : Match{};
    }

    void insert(std::size_t pos)
    {
        if (pos + 3 > n_)
            return;
        const unsigned h = hash3(data_ + pos);
        prev_[pos] = head_[h];
        head_[h] = static_cast<int>(pos);
    }

private:
    const std::uint8_t *data_;
    std::size_t n_;
    std::size_t max_length_;
    std::vector<int> head_;
    std::vector<int> prev_;
};

void prime(CxModel &m, int rank, int times)
{
    for (int i = 0; i < times; ++i)
        m.update(rank);
}

} // namespace

std::vector<std::uint8_t> cx_encode(const std::uint8_t *plain, std::size_t n, int method)
{
    if (method < 0 || method > 3 || n > tvl_format::max_chunk_length)
        return {};
    BitWriter out;
    out.put(static_cast<unsigned>(method), 3);
    CxModel high, lengths, literals;
    if (method == 1) {
        prime(high, 1, 4);
        prime(high, 2, 3);
        prime(high, 3, 2);
    } else if (method >= 2) {
        prime(high, 0, 64);
        for (int r = 0; r < 4; ++r)
            prime(lengths, r, 4);
    }

    Matcher matcher(plain, n, method == 0 ? 257 : 258);
    std::size_t pos = 0;
    bool inserted = false; // pos already went into the matcher (a match was put off)
    while (pos < n) {
        Match m = matcher.find(pos);
        if (m.length > 0) {
            // Put the match off by one byte when the next byte starts a longer one.
            if (!inserted)
                matcher.insert(pos);
            inserted = true;
            if (pos + 1 < n && matcher.find(pos + 1).length > m.length)
                m = Match{};
        }
        if (m.length == 0) {
            out.bit(0);
            if (method == 3) {
                // The 16-bit total of the literal code must not wrap.
                if (literals.headroom() < 1)
                    return {};
                literals.encode(plain[pos], out);
            } else {
                out.put(plain[pos], 8);
            }
            if (!inserted)
                matcher.insert(pos);
            inserted = false;
            ++pos;
        } else {
            out.bit(1);
            const unsigned h = static_cast<unsigned>(m.distance >> 8);
            const unsigned low = static_cast<unsigned>(m.distance & 0xFF);
            if (method <= 1) {
                if (h == 0) {
                    out.bit(0);
                } else {
                    out.bit(1);
                    if (method == 0)
                        out.put(h, 8);
                    else
                        high.encode(static_cast<int>(h), out);
                }
                const std::size_t l = m.length - 2;
                if (l < 7) {
                    out.put(static_cast<unsigned>(l), 3);
                } else {
                    out.put(7, 3);
                    if (method == 0)
                        out.put(static_cast<unsigned>(l), 8);
                    else
                        lengths.encode(static_cast<int>(l), out);
                }
            } else {
                high.encode(static_cast<int>(h), out);
                lengths.encode(static_cast<int>(m.length - 2), out);
            }
            out.put(low, 8);
            for (std::size_t k = 1; k < m.length; ++k)
                matcher.insert(pos + k);
            inserted = false;
            pos += m.length;
        }
        if (out.size() > max_buffer)
            return {};
    }
    // A literal flag after the last byte ends the buffer.
    out.bit(0);
    if (out.size() > max_buffer)
        return {};
    return out.take();
}

} // namespace tvlw
