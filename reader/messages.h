// The reader's two message channels: standard output and Yes/No message boxes.
#pragma once

// Formats like printf and writes to standard output; answers the length written.
int msg_console(const char *fmt, ...) __attribute__((format(printf, 1, 2)));

// Shows the formatted text in a "Message" box unless the user silenced such
// boxes; answers the length of the formatted text.
int msg_box(const char *fmt, ...) __attribute__((format(printf, 1, 2)));
