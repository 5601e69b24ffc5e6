// The Cx decoder alone: the plain length and the method come from the input,
// the rest is the compressed buffer.
#include "fuzz_target.h"

#include <vector>

#include "../common/fuzz_input.h"
#include "decompress.h"

int cx_fuzz_one(const std::uint8_t *data, std::size_t size)
{
    fuzz_input in(data, size);
    const std::size_t u = in.u16();
    const unsigned method = in.pick(4);
    std::vector<unsigned char> buffer(in.rest(), in.rest() + in.rest_size());
    if (!buffer.empty())
        buffer[0] = static_cast<unsigned char>((buffer[0] & ~7u) | method); // the method's three bits
    // Exactly u bytes of room: the decoder must never write past what it was given.
    std::vector<unsigned char> out(u);
    const int n = cx_decode(buffer.data(), buffer.size(), out.data(), u);
    if (n > static_cast<int>(u))
        __builtin_trap();
    return 0;
}
