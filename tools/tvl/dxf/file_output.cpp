#include "dxf/file_output.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>

namespace dxf {

void write_file_atomically(const std::string &path, const std::string &bytes)
{
    const std::filesystem::path target(path);
    std::string temp = (target.has_parent_path() ? (target.parent_path() / "").string() : std::string()) + "." +
                       target.filename().string() + ".XXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0)
        throw std::runtime_error("cannot create a temporary file beside " + path + ": " + std::strerror(errno));
    std::size_t done = 0;
    int error = 0;
    while (error == 0 && done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0)
            done += static_cast<std::size_t>(n);
        else if (n < 0 && errno != EINTR)
            error = errno;
    }
    if (error == 0 && fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0) { // mkstemp makes the file private; results are ordinary files
        const mode_t mask = umask(0);
        umask(mask);
        if (chmod(temp.c_str(), 0666 & ~mask) != 0)
            error = errno;
    }
    if (error == 0 && std::rename(temp.c_str(), path.c_str()) != 0)
        error = errno;
    if (error != 0) {
        std::remove(temp.c_str());
        throw std::runtime_error("cannot write " + path + ": " + std::strerror(error));
    }
}

} // namespace dxf
