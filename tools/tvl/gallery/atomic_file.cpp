#include "atomic_file.h"

#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

// Unique within the host: process id and a per-process counter.
std::string temporary_beside(const std::string &path)
{
    static std::atomic<unsigned long> counter{0};
    return path + ".tmp-" + std::to_string(getpid()) + "-" + std::to_string(counter++);
}

} // namespace

bool write_file_atomically(const std::string &path, const std::function<bool(const std::string &)> &write)
{
    std::error_code error;
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (!parent.empty())
        std::filesystem::create_directories(parent, error);
    const std::string temporary = temporary_beside(path);
    if (!write(temporary) || std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

bool write_file_atomically(const std::string &path, const std::string &text)
{
    return write_file_atomically(path, [&text](const std::string &temporary) {
        std::FILE *f = std::fopen(temporary.c_str(), "wb");
        if (f == nullptr)
            return false;
        const bool written = std::fwrite(text.data(), 1, text.size(), f) == text.size();
        return std::fclose(f) == 0 && written;
    });
}

bool write_file_if_changed(const std::string &path, const std::string &text)
{
    std::error_code error;
    if (std::filesystem::file_size(path, error) == text.size() && !error) {
        std::ifstream in(path, std::ios::binary);
        const std::string old((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (old == text)
            return true;
    }
    return write_file_atomically(path, text);
}
