// libFuzzer entry of the solids converter harness.
#include "fuzz_target.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    return vorstep_fuzz_one(data, size);
}
