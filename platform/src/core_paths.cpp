// Windows paths onto host paths: drives, separators, case-insensitive lookup,
// and exclusive creation of uniquely named files.
#include "skelvane/paths.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/random.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cerrno>
#include <cstring>
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

// Without a home, drive C lies in a folder of the user's own in the shared
// temporary folder: made here with mode 0700, and refused when someone else
// made it first (a settings file planted there would choose which program the
// bridge runs).  Empty when it cannot be had.
std::string private_temp_folder()
{
    const char *tmp = std::getenv("TMPDIR");
    std::string folder = tmp && *tmp ? tmp : "/tmp";
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    folder += "/skelvane-" + std::to_string(::geteuid());
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return {};
    struct stat st;
    if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid() ||
        (st.st_mode & 0077) != 0)
        return {};
    return folder;
}

// Empty when drive C has no folder.
std::string default_drive_c()
{
    std::string base;
    if (const char *xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg)
        base = xdg;
    else if (const char *home = std::getenv("HOME"); home && *home)
        base = std::string(home) + "/.local/share";
    else if (base = private_temp_folder(); base.empty())
        return {};
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

// The open(2) flags of an fopen mode ('b' and 't' change nothing here).
int open_flags(const char *mode)
{
    const bool update = std::strchr(mode, '+') != nullptr;
    int flags = update ? O_RDWR : (mode[0] == 'r' ? O_RDONLY : O_WRONLY);
    if (mode[0] == 'w')
        flags |= O_CREAT | O_TRUNC;
    else if (mode[0] == 'a')
        flags |= O_CREAT | O_APPEND;
    if (std::strchr(mode, 'x'))
        flags |= O_EXCL;
    return flags | O_CLOEXEC;
}

} // namespace

// A pipe named as a file would block open(2) until a writer (or reader) comes,
// so the name is opened non-blocking and what it names is checked first.  Files
// that are read must be regular files; a file that is written may also be a
// device or a pipe that someone reads.
std::FILE *skel_fopen_host(const std::string &host, const char *mode)
{
    if (!mode || (mode[0] != 'r' && mode[0] != 'w' && mode[0] != 'a')) {
        errno = EINVAL;
        return nullptr;
    }
    const int fd = ::open(host.c_str(), open_flags(mode) | O_NONBLOCK, 0666);
    if (fd < 0)
        return nullptr;
    struct stat st;
    const bool reads = mode[0] == 'r' || std::strchr(mode, '+');
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode) || (reads && !S_ISREG(st.st_mode))) {
        ::close(fd);
        errno = EINVAL;
        return nullptr;
    }
    const int status = ::fcntl(fd, F_GETFL);
    if (status == -1 || ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK) == -1) {
        ::close(fd);
        return nullptr;
    }
    std::FILE *file = ::fdopen(fd, mode);
    if (!file)
        ::close(fd);
    return file;
}

bool skel_read_host_file(const std::string &host, std::string &content)
{
    std::FILE *in = skel_fopen_host(host, "rb");
    if (!in)
        return false;
    content.clear();
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, in)) > 0)
        content.append(buffer, got);
    const bool read = std::ferror(in) == 0;
    std::fclose(in);
    return read;
}

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
        if (host_folder.empty())
            return false;
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
    return skel_fopen_host(resolved, mode);
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
    // One draw from the kernel seeds the names: a std::random_device and a
    // Mersenne twister cost more than creating the file (the reader makes one
    // per definition).  O_EXCL keeps names unique whatever the seed.
    unsigned seed = 0;
    if (::getrandom(&seed, sizeof seed, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof seed))
        seed = static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count());
    std::minstd_rand generator(seed ^ static_cast<unsigned>(::getpid()));
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
