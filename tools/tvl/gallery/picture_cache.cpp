#include "picture_cache.h"

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include "atomic_file.h"
#include "hash.h"

namespace fs = std::filesystem;

std::string default_cache_folder()
{
    const char *xdg = std::getenv("XDG_CACHE_HOME");
    if (xdg != nullptr && xdg[0] == '/')
        return (fs::path(xdg) / "skelvane").string();
    const char *home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0')
        return (fs::path(home) / ".cache" / "skelvane").string();
    return {};
}

std::string picture_file(const std::string &root, const std::string &key)
{
    return (fs::path(root) / "pictures" / key.substr(0, 2) / (key + ".png")).string();
}

std::string facts_file(const std::string &root, const std::string &library)
{
    return (fs::path(root) / "libraries" / (hash_key({library}) + ".facts")).string();
}

std::string picture_key(const std::string &library, const std::string &symbol, std::uint64_t definition,
                        const std::string &view, int size, const std::string &settings)
{
    return hash_key({"picture", library, symbol, hex64(definition), view, std::to_string(size), settings});
}

bool serve_file(const std::string &cached, const std::string &target)
{
    struct stat from{};
    struct stat to{};
    if (stat(cached.c_str(), &from) != 0)
        return false;
    if (stat(target.c_str(), &to) == 0 && from.st_dev == to.st_dev && from.st_ino == to.st_ino)
        return true; // served by an earlier run
    std::error_code error;
    fs::remove(target, error);
    fs::create_hard_link(cached, target, error);
    if (!error)
        return true;
    return write_file_atomically(target, [&cached](const std::string &temporary) {
        std::error_code copy_error;
        return fs::copy_file(cached, temporary, fs::copy_options::overwrite_existing, copy_error);
    });
}

cache_summary summarize_cache(const std::string &root)
{
    cache_summary summary;
    std::error_code error;
    for (const char *folder : {"pictures", "libraries", "exports"}) {
        const fs::path dir = fs::path(root) / folder;
        if (!fs::is_directory(dir, error))
            continue;
        for (auto it = fs::recursive_directory_iterator(dir, error); !error && it != fs::end(it);
             it.increment(error)) {
            if (!it->is_regular_file(error))
                continue;
            const std::string ext = it->path().extension().string();
            if (ext == ".png")
                ++summary.pictures;
            else if (ext == ".facts")
                ++summary.libraries;
            else if (folder == std::string("exports"))
                ++summary.exports;
            summary.bytes += it->file_size(error);
        }
    }
    return summary;
}

bool clear_cache(const std::string &root, std::string &error)
{
    for (const char *folder : {"pictures", "libraries", "exports"}) {
        std::error_code e;
        fs::remove_all(fs::path(root) / folder, e);
        if (e) {
            error = "cannot remove " + (fs::path(root) / folder).string() + ": " + e.message();
            return false;
        }
    }
    return true;
}
