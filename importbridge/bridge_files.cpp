// Reading only plain files.
#include "bridge_files.h"

#include "skelvane/paths.h"

std::FILE *open_regular_file(const std::string &path)
{
    std::string host;
    if (!skel_resolve_existing(path, host))
        return nullptr;
    return skel_fopen_host(host, "r");
}
