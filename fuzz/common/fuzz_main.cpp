// libFuzzer entry shared by the harnesses: FUZZ_ONE names the harness's function.
#include <cstddef>
#include <cstdint>

int FUZZ_ONE(const std::uint8_t *data, std::size_t size);

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    return FUZZ_ONE(data, size);
}
