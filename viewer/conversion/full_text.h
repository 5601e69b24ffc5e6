// Text contents as the stroke font draws them.
#pragma once
#include <string>
#include <vector>

// %%d, %%c and %%p become the degree, diameter and plus-minus characters
// (1, 2, 3), %%u and %%o (underline, overline) are dropped, %%% is a percent
// sign and %%nnn the character numbered nnn.
std::string decode_percent_codes(const std::string &text);

// MTEXT contents as plain lines: \P breaks a paragraph, formatting codes and
// braces are removed, stacked fractions read a/b.
std::vector<std::string> mtext_lines(const std::string &text);
