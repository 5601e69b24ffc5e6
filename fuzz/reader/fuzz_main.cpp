// libFuzzer entry of the reader harness.
#include "fuzz_target.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    return reader_fuzz_one(data, size);
}
