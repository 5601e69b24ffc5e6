// Windows paths onto host paths: drives, separators, case-insensitive lookup,
// and exclusive creation of uniquely named files.
#include "skelvane/paths.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <random>
#include <vector>

namespace {

bool is_separator(char c)
{
    return c == '\\' || c == '/';
}

std::string with_host_separators(std::string s)
{
    for (char &c : s)
        if (c == '\\')
            c = '/';
    return s;
}

// Creates a folder and its parents; existing folders are fine.
void make_folders(const std::string &folder)
{
    std::string partial;
    for (std::size_t i = 0; i <= folder.size(); ++i) {
        if (i == folder.size() || (folder[i] == '/' && i > 0)) {
            partial = folder.substr(0, i);
            ::mkdir(partial.c_str(), 0755);
        }
    }
}

std::string default_drive_c()
{
    std::string base;
    if (const char *xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg)
        base = xdg;
    else if (const char *home = std::getenv("HOME"); home && *home)
        base = std::string(home) + "/.local/share";
    else
        base = "/tmp";
    return base + "/skelvane/drive_c";
}

bool exists(const std::string &host)
{
    struct stat st;
    return ::lstat(host.c_str(), &st) == 0;
}

// The entry of `folder` whose name equals `name` without regard to case;
// the first in name order when several do, so the choice is repeatable.
bool find_entry_nocase(const std::string &folder, const std::string &name, std::string &found)
{
    DIR *dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return false;
    bool any = false;
    while (dirent *entry = ::readdir(dir)) {
        if (::strcasecmp(entry->d_name, name.c_str()) == 0 && (!any || found > entry->d_name)) {
            found = entry->d_name;
            any = true;
        }
    }
    ::closedir(dir);
    return any;
}

// Resolves each component of a host path without regard to case.  With
// `last_may_be_missing`, a final component that matches nothing is kept as given
// (a file about to be created); every folder before it must exist.
bool resolve_components(const std::string &host, bool last_may_be_missing, std::string &out)
{
    if (exists(host)) {
        out = host;
        return true;
    }
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= host.size(); ++i) {
        if (i == host.size() || host[i] == '/') {
            if (i > start)
                parts.push_back(host.substr(start, i - start));
            start = i + 1;
        }
    }
    // "" stands for the root of an absolute path, "." for the current folder.
    std::string current = host.starts_with('/') ? "" : ".";
    auto join = [&current](const std::string &name) {
        if (current.empty())
            return "/" + name;
        if (current == ".")
            return name;
        return current + "/" + name;
    };
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const std::string &part = parts[i];
        const std::string candidate = join(part);
        if (part == "." || part == ".." || exists(candidate)) {
            current = candidate;
            continue;
        }
        std::string match;
        if (find_entry_nocase(current.empty() ? "/" : current, part, match)) {
            current = join(match);
            continue;
        }
        if (last_may_be_missing && i + 1 == parts.size()) {
            current = candidate;
            continue;
        }
        return false;
    }
    out = current.empty() ? "/" : current;
    return true;
}

bool mode_reads_existing(const char *mode)
{
    return mode && mode[0] == 'r';
}

} // namespace

bool skel_drive_root(char letter, std::string &host_folder)
{
    if (!std::isalpha(static_cast<unsigned char>(letter)))
        return false;
    const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
    const std::string variable = std::string("SKELVANE_DRIVE_") + upper;
    if (const char *root = std::getenv(variable.c_str()); root && *root) {
        host_folder = root;
    } else if (upper == 'C') {
        host_folder = default_drive_c();
        make_folders(host_folder);
    } else {
        return false;
    }
    while (host_folder.size() > 1 && host_folder.back() == '/')
        host_folder.pop_back();
    return true;
}

bool skel_host_path(const std::string &path, std::string &host_path)
{
    if (path.empty()) {
        host_path.clear();
        return true;
    }
    if (path[0] == '/') {
        host_path = with_host_separators(path);
        return true;
    }
    if (path.size() >= 2 && is_separator(path[0]) && is_separator(path[1]))
        return false; // \\server\share names do not exist here
    std::string root;
    std::string rest;
    if (path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]))) {
        if (!skel_drive_root(path[0], root))
            return false;
        rest = path.substr(2);
    } else if (is_separator(path[0])) {
        if (!skel_drive_root('C', root))
            return false;
        rest = path;
    } else {
        host_path = with_host_separators(path);
        return true;
    }
    std::size_t skip = 0;
    while (skip < rest.size() && is_separator(rest[skip]))
        ++skip;
    rest = with_host_separators(rest.substr(skip));
    host_path = rest.empty() ? root : (root == "/" ? "/" + rest : root + "/" + rest);
    return true;
}

bool skel_resolve_existing(const std::string &path, std::string &host_path)
{
    std::string mapped;
    if (path.empty() || !skel_host_path(path, mapped))
        return false;
    return resolve_components(mapped, false, host_path);
}

std::FILE *skel_fopen(const char *path, const char *mode)
{
    if (!path || !mode)
        return nullptr;
    std::string mapped;
    if (!*path || !skel_host_path(path, mapped)) {
        errno = ENOENT;
        return nullptr;
    }
    std::string resolved;
    if (!resolve_components(mapped, !mode_reads_existing(mode), resolved)) {
        errno = ENOENT;
        return nullptr;
    }
    return std::fopen(resolved.c_str(), mode);
}

bool skel_file_exists(const char *path)
{
    std::string host;
    return path && skel_resolve_existing(path, host);
}

int skel_remove(const char *path)
{
    std::string host;
    if (!path || !skel_resolve_existing(path, host)) {
        errno = ENOENT;
        return -1;
    }
    return std::remove(host.c_str());
}

std::FILE *skel_create_unique(const std::string &stem, const std::string &suffix, std::string *created_name)
{
    std::random_device entropy;
    std::mt19937 generator(entropy() ^ static_cast<unsigned>(::getpid()));
    for (int attempt = 0; attempt < 100; ++attempt) {
        char unique[16];
        std::snprintf(unique, sizeof unique, "%08x", static_cast<unsigned>(generator()));
        const std::string name = stem + unique + suffix;
        std::string host;
        if (!skel_host_path(name, host))
            return nullptr;
        std::string resolved;
        if (!resolve_components(host, true, resolved))
            return nullptr;
        const int fd = ::open(resolved.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return nullptr;
        }
        std::FILE *file = ::fdopen(fd, "w+b");
        if (!file) {
            ::close(fd);
            ::unlink(resolved.c_str());
            return nullptr;
        }
        if (created_name)
            *created_name = name;
        return file;
    }
    return nullptr;
}
