#include "conversion/full_state.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "conversion/conversion_state.h"
#include "conversion/full_draw.h"
#include "conversion/stroke_font.h"
#include "state/drawing_mode.h"

cl_full_state::cl_full_state() = default;
cl_full_state::~cl_full_state() = default;
cl_full_state::cl_full_state(cl_full_state &&) noexcept = default;
cl_full_state &cl_full_state::operator=(cl_full_state &&) noexcept = default;

void cl_full_state::Reset()
{
    auto kept_fonts = std::move(fonts);
    *this = cl_full_state();
    fonts = std::move(kept_fonts);
    line_types_on = drawing_mode == drawing_mode_full_line_types;
}

cl_full_state &full_state()
{
    return conversion_state().full;
}

void full_note(const std::string &text)
{
    if (full_state().notes.insert(text).second)
        std::fprintf(stderr, "viewer: %s\n", text.c_str());
}

std::string upper_name(const std::string &name)
{
    std::string out = name;
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return out;
}
