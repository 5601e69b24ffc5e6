// Copying a block's chunks into the work file, decompressing as needed.
#include "decompress.h"

#include <sys/stat.h>

#include <memory>
#include <new>

#include "cx_model.h"
#include "messages.h"
#include "resbuf.h"
#include "tvl_format/byte_order.h"
#include "tvl_format/limits.h"
#include "tvl_format/messages.h"

namespace fmt = tvl_format;

namespace {

// Both working buffers are sized from the first chunk with this margin.
constexpr std::size_t buffer_margin = 300;

// What one record writes is bounded by what it reads: a chunk's plain length is
// at most 65535, an empty Cx buffer decodes nothing, and a back reference, the
// cheapest way to produce bytes, costs at least 11 bits for at most 257 bytes,
// so the plain data stays below 187 times the stored bytes consumed.  Records
// whose data overlap, or a record requested over and over, could still multiply
// that, so the work file as a whole may not outgrow the library by more than
// this factor: a library whose records each hold their own data never comes
// near it.
constexpr long max_expansion = 256;

// The size of the open file, or -1 when it cannot be told.
long file_length(std::FILE *f)
{
    struct stat st;
    if (fstat(fileno(f), &st) != 0)
        return -1;
    return static_cast<long>(st.st_size);
}

long corrupted()
{
    msg_box(fmt::msg_corrupted_chunk);
    return -1;
}

long read_error()
{
    msg_console(fmt::msg_cannot_read_chunk);
    return -1;
}

} // namespace

bool lib_work_has_room(std::FILE *work, std::FILE *library, long more)
{
    const long library_length = file_length(library);
    const long work_at = std::ftell(work);
    if (library_length < 0 || work_at < 0 || more < 0)
        return true; // nothing to measure against
    return work_at <= max_expansion * library_length - more;
}

long lib_copy_chunks(std::FILE *work, std::FILE *library, long stored_length)
{
    std::unique_ptr<unsigned char[]> stored;
    std::unique_ptr<unsigned char[]> plain;
    std::unique_ptr<cx_model[]> models;
    std::size_t capacity = 0;
    long consumed = 0;
    long total = 0;
    bool first = true;
    do {
        unsigned char header[fmt::chunk_header_size];
        if (std::fread(header, 1, sizeof header, library) != sizeof header)
            return read_error();
        const std::size_t u = fmt::le_u16(header);
        const std::size_t z = fmt::le_u16(header + 2);
        consumed += fmt::chunk_header_size;
        if (first) {
            if (u < z)
                return corrupted();
            capacity = u + buffer_margin;
            stored.reset(new (std::nothrow) unsigned char[capacity]);
            plain.reset(new (std::nothrow) unsigned char[capacity]);
            models.reset(new (std::nothrow) cx_model[3]);
            if (!stored || !plain || !models)
                rb_out_of_memory();
            first = false;
        } else if (u > capacity || z > capacity) {
            return corrupted();
        }
        if (z > 0 && std::fread(stored.get(), 1, z, library) != z)
            return read_error();
        if (!lib_work_has_room(work, library, static_cast<long>(u)))
            return corrupted();
        const unsigned char *data = stored.get();
        if (z != u) {
            const int n = z <= fmt::max_cx_length
                ? cx_decode_with(stored.get(), z, plain.get(), u, models.get())
                : -1;
            if (n < 0 || static_cast<std::size_t>(n) != u) {
                msg_box(fmt::msg_bad_cx_buffer);
                return -1;
            }
            data = plain.get();
        }
        if (u > 0 && std::fwrite(data, 1, u, work) != u) {
            msg_console(fmt::msg_cannot_write_chunk);
            return -1;
        }
        total += static_cast<long>(u);
        consumed += static_cast<long>(z);
    } while (consumed < stored_length);
    return total;
}
