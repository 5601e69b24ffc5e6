// A stream over the work file that keeps what it writes in memory for reading.
#include "work_file.h"

#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <vector>

namespace {

// The memory copy holds at most this much; reads beyond it go to the file.
// Definitions stay far below it, a hostile library's work file need not.
constexpr std::size_t max_mirrored = 64u << 20;

struct mirror {
    std::FILE *file;                 // the work file, written through its descriptor
    std::vector<unsigned char> copy; // its first bytes
    std::size_t size = 0;            // length of the file as written
    std::size_t position = 0;
};

// Writes everything at the position, as the file's own stream would; -1 when
// the file refuses (the caller reports it).
ssize_t mirror_write(void *cookie, const char *data, std::size_t n)
{
    auto &m = *static_cast<mirror *>(cookie);
    const int fd = fileno(m.file);
    for (std::size_t done = 0; done < n;) {
        const ssize_t w = ::pwrite(fd, data + done, n - done, static_cast<off_t>(m.position + done));
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0)
            return -1;
        done += static_cast<std::size_t>(w);
    }
    if (m.position < max_mirrored) {
        const std::size_t kept = std::min(n, max_mirrored - m.position);
        if (m.copy.size() < m.position + kept) {
            try {
                m.copy.resize(m.position + kept);
            } catch (const std::bad_alloc &) {
                return -1;
            }
        }
        std::memcpy(m.copy.data() + m.position, data, kept);
    }
    m.position += n;
    m.size = std::max(m.size, m.position);
    return static_cast<ssize_t>(n);
}

ssize_t mirror_read(void *cookie, char *data, std::size_t n)
{
    auto &m = *static_cast<mirror *>(cookie);
    if (m.position >= m.size)
        return 0;
    n = std::min(n, m.size - m.position);
    if (m.position + n <= m.copy.size()) {
        std::memcpy(data, m.copy.data() + m.position, n);
    } else {
        const ssize_t r = ::pread(fileno(m.file), data, n, static_cast<off_t>(m.position));
        if (r < 0)
            return -1;
        n = static_cast<std::size_t>(r);
    }
    m.position += n;
    return static_cast<ssize_t>(n);
}

int mirror_seek(void *cookie, off64_t *offset, int whence)
{
    auto &m = *static_cast<mirror *>(cookie);
    off64_t base = 0;
    if (whence == SEEK_CUR)
        base = static_cast<off64_t>(m.position);
    else if (whence == SEEK_END)
        base = static_cast<off64_t>(m.size);
    else if (whence != SEEK_SET)
        return -1;
    const off64_t to = base + *offset;
    if (to < 0) {
        errno = EINVAL;
        return -1;
    }
    m.position = static_cast<std::size_t>(to);
    *offset = to;
    return 0;
}

int mirror_close(void *cookie)
{
    auto *m = static_cast<mirror *>(cookie);
    const int result = std::fclose(m->file);
    delete m;
    return result;
}

} // namespace

std::FILE *work_file_mirror(std::FILE *file)
{
    if (!file)
        return file;
    auto *m = new (std::nothrow) mirror{file, {}, 0, 0};
    if (!m)
        return file;
    std::FILE *stream = fopencookie(m, "w+b", {mirror_read, mirror_write, mirror_seek, mirror_close});
    if (!stream) {
        delete m;
        return file;
    }
    return stream;
}
