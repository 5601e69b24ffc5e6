// The reader reports on standard output, each message starting with a line
// break and ending without one.  While a symbol loads its messages are caught
// and passed on to standard error, ended with a line break, so that standard
// output carries the command's own output alone and the next prompt starts on
// a line of its own.
#pragma once
#include <cstdio>

class reader_messages_to_stderr {
public:
    reader_messages_to_stderr();
    ~reader_messages_to_stderr();
    reader_messages_to_stderr(const reader_messages_to_stderr &) = delete;
    reader_messages_to_stderr &operator=(const reader_messages_to_stderr &) = delete;

private:
    std::FILE *caught_ = nullptr;
    int saved_ = -1;
};
