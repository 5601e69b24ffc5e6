// Decoding of one compressed (Cx) buffer: literals and back references whose
// parts are plain bit fields or symbols of adaptive codes.
#include <cstring>

#include "cx_model.h"
#include "decompress.h"

namespace {

// Reads the buffer least significant bit first, bytes in order.
struct bit_reader {
    const unsigned char *p;
    const unsigned char *end;
    std::uint64_t buf = 0;
    int n = 0; // bits held in buf

    bit_reader(const unsigned char *in, std::size_t z) : p(in), end(in + z) {}

    void refill()
    {
        if (end - p >= 8) {
            std::uint64_t w;
            std::memcpy(&w, p, 8);
            buf |= w << n;
            p += (63 - n) >> 3;
            n |= 56;
        } else {
            while (n <= 56 && p < end) {
                buf |= static_cast<std::uint64_t>(*p++) << n;
                n += 8;
            }
        }
    }

    // Whether the byte holding the next bit lies inside the buffer.
    bool more() const { return n > 0 || p < end; }

    // Reads a field of k bits (1 to 8); false when the buffer runs out.
    bool read(int k, unsigned &v)
    {
        if (n < k) {
            refill();
            if (n < k)
                return false;
        }
        v = static_cast<unsigned>(buf & ((1u << k) - 1));
        buf >>= k;
        n -= k;
        return true;
    }
};

// The halving point of one step: the rank j in (lo, end] with
// prefix(j - 1) < target <= prefix(j); prefix(j) is left in at_j.  The first
// steps start from where the same step ended last time.
inline int halving_point(cx_model &m, unsigned node, int lo, int end, unsigned target, unsigned &at_j)
{
    int j;
    if (node >= cx_model::hinted_nodes || (j = m.hint[node]) <= lo || j > end) {
        j = cx_model_find(m, lo, end, target);
        at_j = cx_model_prefix(m, j);
    } else if ((at_j = cx_model_prefix(m, j)) < target) {
        // prefix(end) >= target ends the walk.
        do
            at_j = cx_model_prefix(m, ++j);
        while (at_j < target);
    } else {
        // prefix(lo) < target ends the walk.
        for (unsigned below; (below = cx_model_prefix(m, j - 1)) >= target; --j)
            at_j = below;
    }
    if (node < cx_model::hinted_nodes)
        m.hint[node] = static_cast<std::uint16_t>(j);
    return j;
}

// Decodes one symbol; -1 when the buffer runs out or the model is unusable.
int decode_symbol(cx_model &m, bit_reader &in)
{
    int lo = 0;
    unsigned w = m.total;
    if (!m.linear) {
        // The ranks still in play are [lo, end), base is the mass below lo and w
        // the mass of the interval.  The loop goes on only while w exceeds one
        // count, so w is at least 2 and every step splits the interval into two
        // non-empty parts.
        int end = cx_model::symbols;
        unsigned base = 0;
        unsigned node = 1;
        do {
            unsigned at_j;
            const int j = halving_point(m, node, lo, end, base + w / 2, at_j);
            const unsigned sum = at_j - base;
            unsigned bit;
            if (!in.read(1, bit))
                return -1;
            node = 2 * node + bit;
            if (bit) {
                lo = j;
                base = at_j;
                w -= sum;
            } else {
                end = j;
                w = sum;
            }
            if (lo >= cx_model::symbols)
                return -1;
        } while (m.freq[lo] < w);
    } else {
        do {
            const std::uint16_t half = static_cast<std::uint16_t>(w / 2);
            std::uint16_t sum = 0;
            int j = lo;
            while (sum < half) {
                if (j >= cx_model::symbols)
                    return -1;
                sum = static_cast<std::uint16_t>(sum + m.freq[j]);
                ++j;
            }
            unsigned bit;
            if (!in.read(1, bit))
                return -1;
            if (bit) {
                lo = j;
                w = static_cast<std::uint16_t>(w - sum);
            } else {
                w = sum;
            }
            if (lo >= cx_model::symbols)
                return -1;
        } while (m.freq[lo] < w);
    }
    const int s = m.sym[lo];
    cx_model_update(m, lo);
    return s;
}

void prime(cx_model &m, int r, int times)
{
    for (int i = 0; i < times; ++i)
        cx_model_update(m, r);
}

} // namespace

int cx_decode(const unsigned char *in, std::size_t z, unsigned char *out, std::size_t u)
{
    cx_model models[3];
    return cx_decode_with(in, z, out, u, models);
}

int cx_decode_with(const unsigned char *in, std::size_t z, unsigned char *out, std::size_t u,
                   cx_model models[3])
{
    bit_reader br(in, z);
    unsigned method;
    if (!br.read(3, method) || method > 3)
        return -1;
    cx_model &high = models[0];
    cx_model &lengths = models[1];
    cx_model &literals = models[2];
    if (method >= 1) {
        cx_model_init(high);
        cx_model_init(lengths);
        if (method == 1) {
            prime(high, 1, 4);
            prime(high, 2, 3);
            prime(high, 3, 2);
        } else {
            prime(high, 0, 64);
            for (int r = 0; r < 4; ++r)
                prime(lengths, r, 4);
        }
        if (method == 3)
            cx_model_init(literals);
    }

    std::size_t produced = 0;
    while (br.more()) {
        unsigned flag;
        if (!br.read(1, flag))
            return -1;
        if (flag == 0) {
            if (produced == u)
                return static_cast<int>(produced);
            unsigned lit;
            if (method == 3) {
                const int s = decode_symbol(literals, br);
                // Symbol 256 is no byte value: the buffer is corrupt.
                if (s < 0 || s > 255)
                    return -1;
                lit = static_cast<unsigned>(s);
            } else if (!br.read(8, lit)) {
                return -1;
            }
            out[produced++] = static_cast<unsigned char>(lit);
            continue;
        }

        // Methods 0 and 1 flag whether a high part follows; 2 and 3 always code one.
        unsigned h = 0;
        unsigned has_high = 1;
        if (method <= 1 && !br.read(1, has_high))
            return -1;
        if (has_high) {
            if (method == 0) {
                if (!br.read(8, h))
                    return -1;
                if (h == 0)
                    return static_cast<int>(produced);
            } else {
                const int s = decode_symbol(high, br);
                if (s < 0)
                    return -1;
                if (s == 256)
                    return static_cast<int>(produced);
                h = static_cast<unsigned>(s);
            }
        }

        std::size_t len;
        if (method <= 1) {
            unsigned f;
            if (!br.read(3, f))
                return -1;
            len = f + 2;
            if (len == 9) {
                if (method == 0) {
                    if (!br.read(8, f))
                        return -1;
                    len = f + 2;
                } else {
                    const int s = decode_symbol(lengths, br);
                    if (s < 0)
                        return -1;
                    len = static_cast<std::size_t>(s) + 2;
                }
            }
        } else {
            const int s = decode_symbol(lengths, br);
            if (s < 0)
                return -1;
            len = static_cast<std::size_t>(s) + 2;
        }

        unsigned low;
        if (!br.read(8, low))
            return -1;
        const std::size_t dist = ((h << 8) | low) & 0xFFFF;
        // Distance 0 would copy bytes not yet produced.
        if (dist > produced || dist == 0)
            return -1;
        bool last = false;
        if (produced + len > u) {
            len = u - produced;
            last = true;
        }
        unsigned char *dst = out + produced;
        const unsigned char *src = dst - dist;
        if (dist >= 8 && produced + len + 8 <= u) {
            // Whole words, spilling up to 7 bytes into output still to come;
            // every word read lies at least 8 bytes back, so it is final.
            for (std::size_t i = 0; i < len; i += 8)
                std::memcpy(dst + i, src + i, 8);
        } else if (dist >= len) {
            std::memcpy(dst, src, len);
        } else {
            // An overlapping reference repeats the bytes it has just produced.
            for (std::size_t i = 0; i < len; ++i)
                dst[i] = src[i];
        }
        produced += len;
        if (last)
            return static_cast<int>(produced);
    }
    return -1;
}
