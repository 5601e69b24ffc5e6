// A narrow string (one byte per character), in the manner of the class library's CString,
// and the array of such strings.
#pragma once
#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "skelvane/carray.h"

class CString {
public:
    CString() = default;
    CString(const char *text) : s_(text ? text : "") {}
    CString(const char *text, int length) : s_(text ? std::string(text, length < 0 ? 0 : static_cast<std::size_t>(length)) : std::string()) {}
    CString(const std::string &text) : s_(text) {}
    CString(std::string &&text) : s_(std::move(text)) {}
    CString(std::string_view text) : s_(text) {}
    CString(char c, int repeat = 1) : s_(repeat < 0 ? 0 : static_cast<std::size_t>(repeat), c) {}

    int GetLength() const { return static_cast<int>(s_.size()); }
    bool IsEmpty() const { return s_.empty(); }
    void Empty() { s_.clear(); }

    const char *GetString() const { return s_.c_str(); }
    operator const char *() const { return s_.c_str(); }
    const std::string &str() const { return s_; }

    char GetAt(int i) const { return s_.at(static_cast<std::size_t>(i)); }
    void SetAt(int i, char c) { s_.at(static_cast<std::size_t>(i)) = c; }
    char operator[](int i) const { return GetAt(i); }

    CString &operator=(const char *text)
    {
        s_ = text ? text : "";
        return *this;
    }
    CString &operator=(const std::string &text)
    {
        s_ = text;
        return *this;
    }
    CString &operator+=(const CString &other)
    {
        s_ += other.s_;
        return *this;
    }
    CString &operator+=(const char *text)
    {
        if (text)
            s_ += text;
        return *this;
    }
    CString &operator+=(char c)
    {
        s_ += c;
        return *this;
    }

    friend CString operator+(const CString &a, const CString &b) { return CString(a.s_ + b.s_); }
    friend CString operator+(const CString &a, const char *b) { return CString(a.s_ + (b ? b : "")); }
    friend CString operator+(const char *a, const CString &b) { return CString((a ? a : "") + b.s_); }
    friend CString operator+(const CString &a, char c) { return CString(a.s_ + c); }

    friend bool operator==(const CString &a, const CString &b) { return a.s_ == b.s_; }
    friend bool operator==(const CString &a, const char *b) { return a.s_ == (b ? b : ""); }
    friend bool operator!=(const CString &a, const CString &b) { return !(a == b); }
    friend bool operator!=(const CString &a, const char *b) { return !(a == b); }
    friend bool operator<(const CString &a, const CString &b) { return a.s_ < b.s_; }

    int Compare(const char *other) const { return std::strcmp(s_.c_str(), other ? other : ""); }
    int CompareNoCase(const char *other) const
    {
        const char *a = s_.c_str();
        const char *b = other ? other : "";
        for (;; ++a, ++b) {
            int ca = std::tolower(static_cast<unsigned char>(*a));
            int cb = std::tolower(static_cast<unsigned char>(*b));
            if (ca != cb || ca == 0)
                return ca - cb;
        }
    }

    // Index of the first occurrence at or after start, or -1.
    int Find(char c, int start = 0) const { return index(s_.find(c, clamp(start))); }
    int Find(const char *sub, int start = 0) const { return index(s_.find(sub ? sub : "", clamp(start))); }
    int ReverseFind(char c) const { return index(s_.rfind(c)); }

    CString Left(int count) const { return CString(s_.substr(0, clamp(count))); }
    CString Right(int count) const
    {
        std::size_t n = clamp(count);
        return CString(n >= s_.size() ? s_ : s_.substr(s_.size() - n));
    }
    CString Mid(int first) const { return CString(clamp(first) >= s_.size() ? std::string() : s_.substr(clamp(first))); }
    CString Mid(int first, int count) const
    {
        return CString(clamp(first) >= s_.size() ? std::string() : s_.substr(clamp(first), clamp(count)));
    }

    CString &MakeUpper()
    {
        for (char &c : s_)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return *this;
    }
    CString &MakeLower()
    {
        for (char &c : s_)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return *this;
    }
    CString &Trim()
    {
        auto space = [](unsigned char c) { return std::isspace(c) != 0; };
        s_.erase(s_.begin(), std::find_if_not(s_.begin(), s_.end(), space));
        s_.erase(std::find_if_not(s_.rbegin(), s_.rend(), space).base(), s_.end());
        return *this;
    }

    // printf-style formatting into this string.
    void Format(const char *format, ...) __attribute__((format(printf, 2, 3)))
    {
        va_list args;
        va_start(args, format);
        FormatV(format, args);
        va_end(args);
    }
    void FormatV(const char *format, va_list args)
    {
        va_list copy;
        va_copy(copy, args);
        int n = std::vsnprintf(nullptr, 0, format, copy);
        va_end(copy);
        if (n < 0) {
            s_.clear();
            return;
        }
        std::string out(static_cast<std::size_t>(n) + 1, '\0');
        std::vsnprintf(out.data(), out.size(), format, args);
        out.resize(static_cast<std::size_t>(n));
        s_ = std::move(out);
    }

private:
    static std::size_t clamp(int n) { return n < 0 ? 0 : static_cast<std::size_t>(n); }
    static int index(std::size_t pos) { return pos == std::string::npos ? -1 : static_cast<int>(pos); }

    std::string s_;
};

using CStringArray = CArray<CString, const CString &>;
