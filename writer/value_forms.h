// How the entity coding stores each group code's value.
#pragma once

namespace tvlw {

enum class ValueForm { real, point2, point3, short_int, long_int, string, ename, binary, none };

// The form of a group code's value, from the value kind of the code; codes whose
// kind the coding cannot store give none.
ValueForm value_form(int code);

} // namespace tvlw
