// Reading item keys line by line.
#include "item_keys.h"

#include <cstring>

item_keys read_item_keys(std::FILE *in)
{
    item_keys keys;
    char line[128];
    while (std::fgets(line, sizeof line, in)) {
        line[std::strcspn(line, " \r\n")] = '\0';
        const std::size_t length = std::strlen(line);
        if (length < 3)
            continue;
        if (std::strncmp(line, "PN=", 3) == 0)
            keys.pn.assign(line + 3, length - 3);
        else if (std::strncmp(line, "MC=", 3) == 0)
            keys.mc.assign(line + 3, length - 3);
    }
    return keys;
}

bool item_keys_fit(const item_keys &keys)
{
    return keys.pn.size() <= pn_limit && keys.mc.size() <= mc_limit;
}
