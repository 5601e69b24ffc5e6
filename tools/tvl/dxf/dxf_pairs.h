// Group-pair reading of ASCII DXF: a code line and a value line at a time, with
// the line number of the code, so that every complaint names file and line.
#pragma once
#include <cstdio>
#include <stdexcept>
#include <string>

namespace dxf {

// A failure while reading a drawing; what() is "FILE: line N: message" (or
// "FILE: message" when no line applies).
class dxf_error : public std::runtime_error {
public:
    dxf_error(const std::string &file, long line, const std::string &message);
};

struct pair {
    int code = 0;
    std::string value; // as stored, without the line end (a CR before LF is dropped)
    long line = 0;     // line of the group code, from 1
};

// Longest line accepted; real drawings stay far below it.
constexpr std::size_t max_line_length = 65536;

class pair_reader {
public:
    // Opens the file and refuses what is not ASCII DXF (binary DXF, DWG, other binary).
    explicit pair_reader(const std::string &file);
    ~pair_reader();
    pair_reader(const pair_reader &) = delete;
    pair_reader &operator=(const pair_reader &) = delete;

    // The next pair; false at the end of the file (a code line without its
    // value line is an error, not the end).
    bool next(pair &p);

    // The same pair again on the next call of next().
    void push_back(const pair &p);

    const std::string &file() const { return file_; }
    long line() const { return line_; }
    [[noreturn]] void fail(long line, const std::string &message) const;

private:
    bool read_line(std::string &out);

    std::string file_;
    std::FILE *f_ = nullptr;
    long line_ = 0;
    bool pushed_ = false;
    pair saved_;
};

} // namespace dxf
