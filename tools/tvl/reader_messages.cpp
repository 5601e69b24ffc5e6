#include "reader_messages.h"

#include <unistd.h>

reader_messages_to_stderr::reader_messages_to_stderr()
{
    std::fflush(stdout);
    caught_ = std::tmpfile();
    if (caught_ != nullptr)
        saved_ = dup(STDOUT_FILENO);
    if (saved_ >= 0 && dup2(fileno(caught_), STDOUT_FILENO) < 0) {
        close(saved_);
        saved_ = -1;
    }
}

reader_messages_to_stderr::~reader_messages_to_stderr()
{
    std::fflush(stdout);
    if (saved_ >= 0) {
        dup2(saved_, STDOUT_FILENO);
        close(saved_);
    }
    if (caught_ == nullptr)
        return;
    std::rewind(caught_);
    char buffer[4096];
    std::size_t n;
    char last = '\n';
    while ((n = std::fread(buffer, 1, sizeof buffer, caught_)) > 0) {
        std::fwrite(buffer, 1, n, stderr);
        last = buffer[n - 1];
    }
    // The reader's messages start with a line break rather than end with one.
    if (last != '\n')
        std::fputc('\n', stderr);
    std::fclose(caught_);
}
