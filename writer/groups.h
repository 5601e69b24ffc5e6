// Groups as the coding stores them: values brought to their code's form,
// compared bit for bit, and written.
#pragma once
#include <vector>

#include "entity.h"
#include "value_coder.h"

namespace tvlw {

// The group with its value in the form its code stores (a real for an integer
// given to a real code, a short cut to 16 bits, ...); throws std::invalid_argument
// for a value the coding cannot store.
Group normalize(const Group &g);

// Same code and the same value, reals bit for bit.
bool same_value(const Group &a, const Group &b);

// Writes the value of a normalized group (not its code).
void group_value(ValueCoder &c, const Group &g);

// Index of the first group with this code, or -1.
int first_of(const std::vector<Group> &groups, int code);

} // namespace tvlw
