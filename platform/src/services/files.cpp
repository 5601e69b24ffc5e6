// File-system services on Windows paths, over the path mapping.
#include "skelvane/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <random>

#include "skelvane/paths.h"

namespace {

bool is_separator(char c)
{
    return c == '\\' || c == '/';
}

bool is_drive_prefix(const std::string &s)
{
    return s.size() >= 2 && s[1] == ':' && std::isalpha(static_cast<unsigned char>(s[0]));
}

std::string without_trailing_separators(std::string s)
{
    while (s.size() > 1 && is_separator(s.back()) && !(s.size() == 3 && is_drive_prefix(s)))
        s.pop_back();
    return s;
}

std::string canonical(const std::string &host)
{
    char buffer[PATH_MAX];
    if (::realpath(host.c_str(), buffer))
        return buffer;
    return host;
}

DWORD attributes_of(const struct stat &st)
{
    return S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
}

bool same_letter(char a, char b)
{
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
}

// Wildcards as a file search knows them: '*' any run, '?' any one character,
// every other character itself (so "[" in a name is no bracket expression).
bool matches(const std::string &pattern, const char *name)
{
    if (pattern == "*" || pattern == "*.*")
        return true;
    std::size_t p = 0, n = 0;
    std::size_t star = std::string::npos, resume = 0;
    const std::size_t length = std::strlen(name);
    while (n < length) {
        if (p < pattern.size() && (pattern[p] == '?' || (pattern[p] != '*' && same_letter(pattern[p], name[n])))) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = n;
        } else if (star != std::string::npos) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

} // namespace

DWORD GetFileAttributes(const std::string &path)
{
    std::string host;
    struct stat st;
    if (!skel_resolve_existing(path, host) || ::stat(host.c_str(), &st) != 0)
        return INVALID_FILE_ATTRIBUTES;
    return attributes_of(st);
}

UINT GetDriveType(const std::string &root)
{
    char letter = 'C';
    if (!root.empty() && !is_separator(root[0])) {
        if (!std::isalpha(static_cast<unsigned char>(root[0])) || (root.size() > 1 && root[1] != ':'))
            return DRIVE_NO_ROOT_DIR;
        letter = root[0];
    } else if (root.size() > 1) {
        return DRIVE_NO_ROOT_DIR; // \\server\share, or no root at all
    }
    std::string folder;
    struct stat st;
    if (!skel_drive_root(letter, folder) || ::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return DRIVE_NO_ROOT_DIR;
    return DRIVE_FIXED;
}

bool CreateDirectory(const std::string &path)
{
    const std::string trimmed = without_trailing_separators(path);
    std::string host;
    if (trimmed.empty() || !skel_host_path(trimmed, host))
        return false;
    const std::size_t cut = trimmed.find_last_of("\\/");
    if (cut != std::string::npos && cut > 0 && !(cut == 2 && is_drive_prefix(trimmed))) {
        // The parent may be spelt in another case than on disk.
        std::string parent;
        if (!skel_resolve_existing(trimmed.substr(0, cut), parent))
            return false;
        host = parent + "/" + trimmed.substr(cut + 1);
    }
    if (skel_file_exists(trimmed.c_str()))
        return false;
    return ::mkdir(host.c_str(), 0777) == 0;
}

std::vector<skel_find_entry> skel_find_files(const std::string &pattern)
{
    std::vector<skel_find_entry> found;
    std::string folder;
    std::string name = pattern;
    const std::size_t cut = pattern.find_last_of("\\/");
    if (cut != std::string::npos) {
        folder = pattern.substr(0, cut + 1);
        name = pattern.substr(cut + 1);
    } else if (is_drive_prefix(pattern)) {
        folder = pattern.substr(0, 2) + "\\";
        name = pattern.substr(2);
    }
    if (name.empty())
        return found;
    std::string host_folder = ".";
    if (!folder.empty() && !skel_resolve_existing(folder, host_folder))
        return found;
    DIR *dir = ::opendir(host_folder.c_str());
    if (!dir)
        return found;
    while (dirent *entry = ::readdir(dir)) {
        const std::string entry_name = entry->d_name;
        if (entry_name == "." || entry_name == ".." || !matches(name, entry->d_name))
            continue;
        struct stat st;
        const std::string full = host_folder == "/" ? "/" + entry_name : host_folder + "/" + entry_name;
        if (::stat(full.c_str(), &st) != 0)
            continue;
        found.push_back({entry_name, attributes_of(st)});
    }
    ::closedir(dir);
    std::sort(found.begin(), found.end(),
              [](const skel_find_entry &a, const skel_find_entry &b) { return a.name < b.name; });
    return found;
}

std::string skel_windows_path(const std::string &host_path)
{
    const std::string path = canonical(host_path);
    std::string best_root;
    char best_letter = 0;
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        const std::string variable = std::string("SKELVANE_DRIVE_") + letter;
        if (letter != 'C' && !std::getenv(variable.c_str()))
            continue;
        std::string root;
        if (!skel_drive_root(letter, root))
            continue;
        root = canonical(root);
        const bool inside = path == root || (path.starts_with(root) && (root == "/" || path[root.size()] == '/'));
        if (inside && root.size() > best_root.size()) {
            best_root = root;
            best_letter = letter;
        }
    }
    if (!best_letter)
        return {};
    std::string rest = path.substr(best_root.size());
    std::replace(rest.begin(), rest.end(), '/', '\\');
    while (!rest.empty() && rest[0] == '\\')
        rest.erase(0, 1);
    return std::string(1, best_letter) + ":\\" + rest;
}

std::string GetCurrentDirectory()
{
    char buffer[PATH_MAX];
    if (!::getcwd(buffer, sizeof buffer))
        return {};
    const std::string windows = skel_windows_path(buffer);
    return windows.empty() ? std::string(buffer) : windows;
}

bool SetCurrentDirectory(const std::string &path)
{
    std::string host;
    return skel_resolve_existing(path, host) && ::chdir(host.c_str()) == 0;
}

UINT GetTempFileName(const std::string &folder, const std::string &prefix, std::string *name)
{
    std::string host_folder;
    struct stat st;
    if (folder.empty() || !skel_resolve_existing(folder, host_folder) || ::stat(host_folder.c_str(), &st) != 0 ||
        !S_ISDIR(st.st_mode))
        return 0;
    std::string spelt = folder;
    if (!is_separator(spelt.back()))
        spelt += spelt[0] == '/' ? '/' : '\\';
    const std::string stem = prefix.substr(0, 3);
    std::random_device entropy;
    UINT unique = entropy() % 0xFFFF + 1;
    for (int attempt = 0; attempt < 0xFFFF; ++attempt, unique = unique % 0xFFFF + 1) {
        char digits[8];
        std::snprintf(digits, sizeof digits, "%X", unique);
        const std::string file = stem + digits + ".tmp";
        const std::string host = host_folder == "/" ? "/" + file : host_folder + "/" + file;
        const int fd = ::open(host.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return 0;
        }
        ::close(fd);
        if (name)
            *name = spelt + file;
        return unique;
    }
    return 0;
}

std::string GetShortPathName(const std::string &path)
{
    return skel_file_exists(path.c_str()) ? path : std::string();
}
