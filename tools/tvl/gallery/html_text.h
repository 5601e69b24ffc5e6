// Text for the gallery's HTML pages.
#pragma once
#include <string>
#include <string_view>

// Symbol and layer names are single-byte text; bytes above 127 are taken as
// Latin-1 and become UTF-8, control characters become U+FFFD.
std::string to_utf8(std::string_view latin1);

// UTF-8 (from to_utf8) escaped for element content and quoted attributes.
std::string html_escape(std::string_view text);

// Both: a name from a library as it goes into a page.
std::string html_name(std::string_view latin1);

// A file name as one segment of a relative URL: bytes outside the unreserved
// characters become %XX.
std::string url_path(std::string_view name);
