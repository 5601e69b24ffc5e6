// Reading only plain files.
#include "bridge_files.h"

#include <sys/stat.h>

#include "skelvane/paths.h"

std::FILE *open_regular_file(const std::string &path)
{
    std::string host;
    struct stat st;
    // Checked before opening: opening a pipe for reading would wait for a writer.
    if (!skel_resolve_existing(path, host) || ::stat(host.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return nullptr;
    std::FILE *in = std::fopen(host.c_str(), "r");
    if (in && (::fstat(::fileno(in), &st) != 0 || !S_ISREG(st.st_mode))) {
        std::fclose(in);
        return nullptr;
    }
    return in;
}
