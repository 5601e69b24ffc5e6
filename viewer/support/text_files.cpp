// Buffered stream files with open operations that report failure as false.
#include "support/text_files.h"

#include <cstdarg>
#include <string>

#include "skelvane/paths.h"

cl_stdio_file::~cl_stdio_file() { Close(); }

bool cl_stdio_file::OpenStream(const char *path, const char *mode, bool text)
{
    Close();
    if (!path)
        return false;
    stream_ = skel_fopen(path, mode);
    if (!stream_)
        return false;
    path_ = path;
    text_ = text;
    return true;
}

bool cl_stdio_file::ReadString(CString &line)
{
    line.Empty();
    if (!stream_)
        return false;
    std::string read;
    bool any = false;
    bool ended = false;
    int c;
    while ((c = std::fgetc(stream_)) != EOF) {
        any = true;
        if (c == '\n') {
            ended = true;
            break;
        }
        read += static_cast<char>(c);
    }
    // In text mode a CR LF pair is the line end; a CR on its own is data.
    if (text_ && ended && !read.empty() && read.back() == '\r')
        read.pop_back();
    line = read;
    return any;
}

void cl_stdio_file::SeekToBegin()
{
    if (stream_)
        std::rewind(stream_);
}

void cl_stdio_file::Flush()
{
    if (stream_)
        std::fflush(stream_);
}

void cl_stdio_file::Close()
{
    if (stream_) {
        std::fclose(stream_);
        stream_ = nullptr;
    }
}

bool cl_stdio_file::WriteBytes(const char *data, std::size_t size)
{
    if (!stream_)
        return false;
    if (!text_)
        return std::fwrite(data, 1, size, stream_) == size;
    std::size_t start = 0;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] != '\n')
            continue;
        if (std::fwrite(data + start, 1, i - start, stream_) != i - start ||
            std::fwrite("\r\n", 1, 2, stream_) != 2)
            return false;
        start = i + 1;
    }
    return std::fwrite(data + start, 1, size - start, stream_) == size - start;
}

cl_input_file::~cl_input_file() { Close(); }

bool cl_input_file::OpenRead(const char *path) { return OpenStream(path, "rb", true); }

bool cl_input_file::OpenReadBinary(const char *path) { return OpenStream(path, "rb", false); }

cl_output_file::~cl_output_file() { Close(); }

bool cl_output_file::OpenWrite(const char *path) { return OpenStream(path, "wb", true); }

bool cl_output_file::WriteText(const CString &text)
{
    if (WriteBytes(text.GetString(), static_cast<std::size_t>(text.GetLength())))
        return true;
    // Only the diagnostic stream hears of it; the caller sees false.
    std::fprintf(stderr, "Cannot write to file: %s \n", GetFilePath().GetString());
    return false;
}

void cl_output_file::Print(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    CString text;
    text.FormatV(format, args);
    va_end(args);
    WriteText(text);
}
