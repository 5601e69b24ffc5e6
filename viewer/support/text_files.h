// Plain text files of the viewer's own making, opened through operations that
// report failure as false instead of raising.
#pragma once
#include <cstdio>

#include "skelvane/cstring.h"

// A buffered stream file; the base of the input and output files.
class cl_stdio_file {
public:
    cl_stdio_file() = default;
    cl_stdio_file(const cl_stdio_file &) = delete;
    cl_stdio_file &operator=(const cl_stdio_file &) = delete;
    virtual ~cl_stdio_file();

    // The next line without its line end; false at the end of the file when nothing
    // more was read.
    virtual bool ReadString(CString &line);
    virtual void SeekToBegin();
    virtual void Flush();
    virtual void Close();

    bool IsOpen() const { return stream_ != nullptr; }
    // The full path the file was opened on.
    const CString &GetFilePath() const { return path_; }

protected:
    // Opens path with an fopen mode; text marks CR LF translation.
    bool OpenStream(const char *path, const char *mode, bool text);
    // Writes bytes, turning "\n" into CR LF in text mode; false on an I/O error.
    bool WriteBytes(const char *data, std::size_t size);

private:
    std::FILE *stream_ = nullptr;
    CString path_;
    bool text_ = false;
};

class cl_input_file : public cl_stdio_file {
public:
    ~cl_input_file() override;
    // Text mode: CR LF reads as one line end.
    virtual bool OpenRead(const char *path);
    // Bytes as stored.
    virtual bool OpenReadBinary(const char *path);
};

class cl_output_file : public cl_stdio_file {
public:
    ~cl_output_file() override;
    // Creates or empties the file for writing in text mode ("\n" is written as CR LF).
    bool OpenWrite(const char *path);
    // Writes the string's bytes; false when the write fails.
    bool WriteText(const CString &text);
    // printf-style; a failed write is not reported.
    void Print(const char *format, ...) __attribute__((format(printf, 2, 3)));
};
