// Record data in chunks, each compressed when that pays.
#include "compress.h"

#include <algorithm>

#include "tvl_format/byte_order.h"
#include "tvl_format/limits.h"

namespace tvlw {

namespace {

void put_u16(std::vector<std::uint8_t> &out, std::size_t v)
{
    unsigned char b[2];
    tvl_format::le_put(b, v, 2);
    out.insert(out.end(), b, b + 2);
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
    chunk_size = std::clamp<std::size_t>(chunk_size, 1, tvl_format::max_cx_length);
    std::vector<std::uint8_t> out(4, 0); // the stored length, set at the end
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
    tvl_format::le_put(out.data(), out.size() - 4, 4);
    return out;
}

} // namespace tvlw
