// The files the bridge reads back: item keys and results (the same "PN="/"MC="
// lines), and the settings file that names the import program.
#include "fuzz_target.h"

#include <cstdio>

#include "../common/fuzz_input.h"
#include "item_keys.h"
#include "skelvane/profile.h"

int bridge_fuzz_one(const std::uint8_t *data, std::size_t size)
{
    const std::string path = fuzz_scratch_file("pxqrimp.ini", data, size);
    if (std::FILE *in = std::fopen(path.c_str(), "rb")) {
        const item_keys keys = read_item_keys(in);
        std::fclose(in);
        (void)item_keys_fit(keys);
    }
    (void)GetPrivateProfileString("PellimaxExe", "Path", "", path);
    return 0;
}
