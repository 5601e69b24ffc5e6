// Copying a block's chunks into the work file, decompressing as needed.
#include "decompress.h"

#include <memory>
#include <new>

#include "cx_model.h"
#include "messages.h"
#include "resbuf.h"

namespace {

// Compressed buffers are never longer than this.
constexpr std::size_t max_cx_length = 65000;
// Both working buffers are sized from the first chunk with this margin.
constexpr std::size_t buffer_margin = 300;

} // namespace

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
        unsigned char header[4];
        if (std::fread(header, 1, 4, library) != 4) {
            msg_console("\nERROR: reading file.");
            return -1;
        }
        const std::size_t u = header[0] | (header[1] << 8);
        const std::size_t z = header[2] | (header[3] << 8);
        consumed += 4;
        if (first) {
            if (u < z) {
                msg_box("\nERROR: Corrupted library file.");
                return -1;
            }
            capacity = u + buffer_margin;
            stored.reset(new (std::nothrow) unsigned char[capacity]);
            plain.reset(new (std::nothrow) unsigned char[capacity]);
            models.reset(new (std::nothrow) cx_model[3]);
            if (!stored || !plain || !models)
                rb_out_of_memory();
            first = false;
        } else if (u > capacity || z > capacity) {
            msg_box("\nERROR: Corrupted library file.");
            return -1;
        }
        if (z > 0 && std::fread(stored.get(), 1, z, library) != z) {
            msg_console("\nERROR: reading file.");
            return -1;
        }
        const unsigned char *data = stored.get();
        if (z != u) {
            const int n = z <= max_cx_length
                ? cx_decode_with(stored.get(), z, plain.get(), u, models.get())
                : -1;
            if (n < 0 || static_cast<std::size_t>(n) != u) {
                msg_box("\nERROR: Decompressing Cx buffer.");
                return -1;
            }
            data = plain.get();
        }
        if (u > 0 && std::fwrite(data, 1, u, work) != u) {
            msg_console("\nError writing to file.");
            return -1;
        }
        total += static_cast<long>(u);
        consumed += static_cast<long>(z);
    } while (consumed < stored_length);
    return total;
}
