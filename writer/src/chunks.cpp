#include "tvlwriter/chunks.h"

#include <algorithm>

namespace tvlw {

namespace {

void put_u16(std::vector<std::uint8_t> &out, std::size_t v)
{
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

std::vector<std::uint8_t> compress_chunk(const std::uint8_t *plain, std::size_t n, Compression c)
{
    switch (c) {
    case Compression::stored:
        return {};
    case Compression::method0:
        return cx_encode(plain, n, 0);
    case Compression::method1:
        return cx_encode(plain, n, 1);
    case Compression::method2:
        return cx_encode(plain, n, 2);
    case Compression::method3:
        return cx_encode(plain, n, 3);
    case Compression::smallest:
        break;
    }
    std::vector<std::uint8_t> best;
    for (int m = 0; m <= 3; ++m) {
        std::vector<std::uint8_t> z = cx_encode(plain, n, m);
        if (!z.empty() && (best.empty() || z.size() < best.size()))
            best = std::move(z);
    }
    return best;
}

} // namespace

std::vector<std::uint8_t> encode_record_data(const std::vector<std::uint8_t> &plain,
                                             Compression c, std::size_t chunk_size)
{
    chunk_size = std::clamp<std::size_t>(chunk_size, 1, 65000);
    std::vector<std::uint8_t> out(4, 0);
    std::size_t pos = 0;
    // Even empty data has one (empty) chunk: the reader always reads the first.
    do {
        const std::size_t n = std::min(chunk_size, plain.size() - pos);
        std::vector<std::uint8_t> z = compress_chunk(plain.data() + pos, n, c);
        // A compressed buffer must be shorter than its plain bytes: equal sizes
        // would read as stored data, and the reader's buffers are sized from the
        // first chunk's plain length.
        const bool pays = !z.empty() && z.size() < n;
        put_u16(out, n);
        put_u16(out, pays ? z.size() : n);
        if (pays)
            out.insert(out.end(), z.begin(), z.end());
        else
            out.insert(out.end(), plain.begin() + static_cast<std::ptrdiff_t>(pos),
                       plain.begin() + static_cast<std::ptrdiff_t>(pos + n));
        pos += n;
    } while (pos < plain.size());
    const std::size_t s = out.size() - 4;
    for (int i = 0; i < 4; ++i)
        out[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>((s >> (8 * i)) & 0xFF);
    return out;
}

} // namespace tvlw
