// Helpers of the harnesses: taking parameters from the front of an input, and
// a scratch folder of the process for inputs that must be files.
#pragma once
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

// Reads parameters from the front of an input; past its end every read gives 0.
class fuzz_input {
public:
    fuzz_input(const std::uint8_t *data, std::size_t size) : data_(data), size_(size) {}

    unsigned byte() { return at_ < size_ ? data_[at_++] : 0; }
    unsigned u16() { return byte() | (byte() << 8); }
    // A byte taken as a choice among n.
    unsigned pick(unsigned n) { return byte() % n; }

    // Never null (an empty input may come as null), so it can go to fwrite and memcpy.
    const std::uint8_t *rest() const
    {
        static const std::uint8_t none = 0;
        return at_ < size_ ? data_ + at_ : &none;
    }
    std::size_t rest_size() const { return size_ - at_; }
    bool empty() const { return at_ >= size_; }

private:
    const std::uint8_t *data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

// Sends standard output (the reader's console channel) to /dev/null while it
// lives, so that messages stay out of the fuzzer's log.
class quiet_stdout {
public:
    quiet_stdout()
    {
        std::fflush(stdout);
        saved_ = ::dup(1);
        if (std::FILE *null = std::fopen("/dev/null", "w")) {
            ::dup2(::fileno(null), 1);
            std::fclose(null);
        }
    }
    ~quiet_stdout()
    {
        std::fflush(stdout);
        if (saved_ >= 0) {
            ::dup2(saved_, 1);
            ::close(saved_);
        }
    }
    quiet_stdout(const quiet_stdout &) = delete;
    quiet_stdout &operator=(const quiet_stdout &) = delete;

private:
    int saved_ = -1;
};

// A folder of this process, made on first use and removed at exit.
inline const std::string &fuzz_scratch_folder()
{
    static const std::string folder = [] {
        const char *tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/skelfuzz-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            std::abort();
        return pattern;
    }();
    static const bool cleanup = [] {
        return std::atexit([] {
                   std::error_code ignored;
                   std::filesystem::remove_all(fuzz_scratch_folder(), ignored);
               }) == 0;
    }();
    (void)cleanup;
    return folder;
}

// Writes bytes to a file of the scratch folder and answers its path.
inline std::string fuzz_scratch_file(const char *name, const std::uint8_t *data, std::size_t size)
{
    const std::string path = fuzz_scratch_folder() + "/" + name;
    if (std::FILE *f = std::fopen(path.c_str(), "wb")) {
        if (size > 0)
            std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    return path;
}
