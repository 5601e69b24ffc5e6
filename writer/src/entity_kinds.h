// How the entity coding stores each group code's value, and entity type names.
#pragma once
#include "tvlwriter/value_forms.h"

namespace tvlw {
// The table name of an entity type number, or null.
const char *entity_type_name(int number);
} // namespace tvlw
