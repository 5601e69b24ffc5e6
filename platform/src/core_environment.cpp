// Environment, temporary and Windows folders, and module file names.
#include "skelvane/environment.h"

#include <dlfcn.h>
#include <strings.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>

namespace {

std::string temp_folder_without_separator()
{
    std::string folder = "/tmp";
    if (const char *tmpdir = std::getenv("TMPDIR"); tmpdir && *tmpdir)
        folder = tmpdir;
    while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\'))
        folder.pop_back();
    return folder;
}

std::string program_path()
{
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0)
        return {};
    return std::string(buffer, static_cast<std::size_t>(n));
}

} // namespace

std::optional<std::string> skel_getenv(const char *name)
{
    if (!name)
        return std::nullopt;
    if (const char *value = std::getenv(name))
        return std::string(value);
    // Windows always has a temporary folder in TEMP.
    if (::strcasecmp(name, "TEMP") == 0)
        return temp_folder_without_separator();
    return std::nullopt;
}

std::string GetTempPath()
{
    std::string folder = temp_folder_without_separator();
    if (folder != "/")
        folder += '/';
    return folder;
}

std::string GetWindowsDirectory()
{
    return "C:\\WINDOWS";
}

std::string GetModuleFileName(const void *address_in_module)
{
    Dl_info info{};
    if (address_in_module && ::dladdr(address_in_module, &info) && info.dli_fname && *info.dli_fname) {
        char resolved[PATH_MAX];
        if (::realpath(info.dli_fname, resolved))
            return resolved;
        if (info.dli_fname[0] == '/')
            return info.dli_fname;
    }
    return program_path();
}
