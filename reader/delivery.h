// Delivery of a symbol's definition through the registered callbacks: text
// styles, line types and layers as table chains and command lists, then the
// blocks entity by entity, nested blocks first.
#pragma once
#include "tvlaccess.h"

struct lib_request;

void delivery_register(ta_callback entity_cb, ta_callback table_cb, ta_callback command_cb);

// Opens the library, gathers the symbol and what it depends on, delivers it and
// closes the library again; true when the whole definition was delivered.
bool delivery_define(const char *library_path, const char *symbol_name);

// Sends one command list built from (kind, value) pairs ended by 0; answers the
// command callback's status, RB_OK without one.
int delivery_command(int code, ...);
