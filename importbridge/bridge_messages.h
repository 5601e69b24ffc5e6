// The bridge's message boxes, all owned by the host's active window.
#pragma once

constexpr const char *caption_check = "PLEASE CHECK YOUR DATA...";
constexpr const char *caption_verify = "PLEASE VERIFY YOUR DATA...";
constexpr const char *caption_failed = "FUNCTION FAILED";
constexpr const char *caption_os = "Windows OS problem";
constexpr const char *caption_append = "APPEND NEXT ITEM";

// Shows a box owned by the host's active window; the answer.
int bridge_message(const char *text, const char *caption, unsigned int type);
