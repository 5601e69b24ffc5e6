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
// steps start from where the same step ended last time and move from there by
// single counts, one update having moved the sums by at most one.
inline int halving_point(cx_model &m, unsigned node, int lo, int end, unsigned target, unsigned &at_j)
{
    int j;
    // One unsigned compare tells whether the hint lies in (lo, end].
    if (node >= cx_model::hinted_nodes ||
        static_cast<unsigned>((j = m.hint[node]) - lo - 1) >= static_cast<unsigned>(end - lo)) {
        j = cx_model_find(m, lo, end, target);
        at_j = cx_model_prefix(m, j);
    } else {
        unsigned at = cx_model_prefix(m, j);
        if (at < target) {
            // prefix(end) >= target ends the walk.
            do
                at += m.freq[j++];
            while (at < target);
        } else {
            // prefix(lo) < target ends the walk.
            for (unsigned below; (below = at - m.freq[j - 1]) >= target; --j)
                at = below;
        }
        at_j = at;
    }
    if (node < cx_model::hinted_nodes)
        m.hint[node] = static_cast<std::uint16_t>(j);
    return j;
}

// The interval of a halving step after its bit: the upper part [j, end) with
// mass w - sum on a 1, the lower part [lo, j) with mass sum on a 0.  Conditional
// moves, as the bits of a compressed buffer are as good as random and a branch
// would be mispredicted half the time (compilers do not always see that).
struct interval {
    unsigned lo, end, base, w;
};

inline void take_side(unsigned bit, unsigned j, unsigned at_j, unsigned sum, interval &v)
{
#if defined(__GNUC__) && defined(__x86_64__)
    const unsigned upper_w = v.w - sum;
    v.w = sum;
    asm("test %[bit], %[bit]\n\t"
        "cmovnz %[j], %[lo]\n\t"
        "cmovz %[j], %[end]\n\t"
        "cmovnz %[at], %[base]\n\t"
        "cmovnz %[upper_w], %[w]"
        : [lo] "+r"(v.lo), [end] "+r"(v.end), [base] "+r"(v.base), [w] "+r"(v.w)
        : [bit] "r"(bit), [j] "r"(j), [at] "r"(at_j), [upper_w] "r"(upper_w)
        : "cc");
#else
    const unsigned take = 0u - bit;
    v = {(j & take) | (v.lo & ~take), (v.end & take) | (j & ~take), (at_j & take) | (v.base & ~take),
         ((v.w - sum) & take) | (sum & ~take)};
#endif
}

// The halving walk over the prefix sums.  The ranks still in play are
// [lo, end), base is the mass below lo and w the mass of the interval.  The walk
// goes on only while w exceeds the count at lo, so every step splits the
// interval into two non-empty parts; a step takes either side without a branch.
[[gnu::always_inline]] inline int walk_prefix_sums(cx_model &m, bit_reader &in)
{
    interval v{0, cx_model::symbols, 0, m.total};
    unsigned node = 1;
    do {
        unsigned at_j;
        const unsigned j = static_cast<unsigned>(
            halving_point(m, node, static_cast<int>(v.lo), static_cast<int>(v.end), v.base + v.w / 2, at_j));
        unsigned bit;
        if (!in.read(1, bit))
            return -1;
        node = 2 * node + bit;
        take_side(bit, j, at_j, at_j - v.base, v);
        if (v.lo >= static_cast<unsigned>(cx_model::symbols))
            return -1;
    } while (m.freq[v.lo] < v.w);
    return static_cast<int>(v.lo);
}

// The same walk by plain scans in 16-bit arithmetic, once the total has wrapped.
int walk_linear(const cx_model &m, bit_reader &in)
{
    int lo = 0;
    std::uint16_t w = m.total;
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
    return lo;
}

// Decodes one symbol; -1 when the buffer runs out or the model is unusable.
[[gnu::always_inline]] inline int decode_symbol(cx_model &m, bit_reader &in)
{
    const int lo = m.linear ? walk_linear(m, in) : walk_prefix_sums(m, in);
    if (lo < 0)
        return -1;
    const int s = m.sym[lo];
    cx_model_update(m, lo);
    return s;
}

void prime(cx_model &m, int r, int times)
{
    for (int i = 0; i < times; ++i)
        cx_model_update(m, r);
}

// The literal, high part and length codings of one method; decode_loop is
// compiled once per method, so the choices below cost nothing per symbol.
template <unsigned method>
struct coding {
    cx_model &high;
    cx_model &lengths;
    cx_model &literals;

    // A literal byte; false when the buffer is corrupt or runs out.
    bool literal(bit_reader &in, unsigned &lit)
    {
        if constexpr (method == 3) {
            const int s = decode_symbol(literals, in);
            // Symbol 256 is no byte value: the buffer is corrupt.
            if (s < 0 || s > 255)
                return false;
            lit = static_cast<unsigned>(s);
            return true;
        } else {
            return in.read(8, lit);
        }
    }

    // The high part of a distance: 0 to 255, 256 for the end marker, -1 on failure.
    int high_part(bit_reader &in)
    {
        unsigned v;
        if constexpr (method <= 1) {
            // A flag tells whether a high part follows.
            if (!in.read(1, v))
                return -1;
            if (v == 0)
                return 0;
        }
        if constexpr (method == 0) {
            if (!in.read(8, v))
                return -1;
            return v == 0 ? 256 : static_cast<int>(v);
        } else {
            return decode_symbol(high, in);
        }
    }

    // A length less 2; -1 on failure.
    int length(bit_reader &in)
    {
        if constexpr (method >= 2) {
            return decode_symbol(lengths, in);
        } else {
            unsigned f;
            if (!in.read(3, f))
                return -1;
            if (f != 7)
                return static_cast<int>(f);
            if constexpr (method == 0)
                return in.read(8, f) ? static_cast<int>(f) : -1;
            else
                return decode_symbol(lengths, in);
        }
    }
};

template <unsigned method>
int decode_loop(bit_reader &br, unsigned char *out, std::size_t u, coding<method> code)
{
    std::size_t produced = 0;
    while (br.more()) {
        unsigned flag;
        if (!br.read(1, flag))
            return -1;
        if (flag == 0) {
            if (produced == u)
                return static_cast<int>(produced);
            unsigned lit;
            if (!code.literal(br, lit))
                return -1;
            out[produced++] = static_cast<unsigned char>(lit);
            continue;
        }

        const int h = code.high_part(br);
        if (h < 0)
            return -1;
        if (h == 256)
            return static_cast<int>(produced);
        const int l = code.length(br);
        if (l < 0)
            return -1;
        std::size_t len = static_cast<std::size_t>(l) + 2;

        unsigned low;
        if (!br.read(8, low))
            return -1;
        const std::size_t dist = ((static_cast<unsigned>(h) << 8) | low) & 0xFFFF;
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
    switch (method) {
    case 0: return decode_loop<0>(br, out, u, {high, lengths, literals});
    case 1: return decode_loop<1>(br, out, u, {high, lengths, literals});
    case 2: return decode_loop<2>(br, out, u, {high, lengths, literals});
    default: return decode_loop<3>(br, out, u, {high, lengths, literals});
    }
}
