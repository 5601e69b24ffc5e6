// The four functions that TvlAccess exports.
#include "delivery.h"
#include "library.h"
#include "resbuf.h"

extern "C" {

TVLACCESS_API bool ta_init(ta_callback entity_cb, ta_callback table_cb, ta_callback command_cb)
{
    delivery_register(entity_cb, table_cb, command_cb);
    return true;
}

TVLACCESS_API bool ta_tvldef(const char *library_path, const char *symbol_name)
{
    return delivery_define(library_path, symbol_name);
}

TVLACCESS_API resbuf *ta_tvllist(const char *library_path)
{
    lib_close();
    if (!lib_open(library_path)) {
        lib_close();
        return nullptr;
    }
    resbuf *names = lib_list_symbols("*");
    lib_close();
    return names;
}

TVLACCESS_API void ta_relrb(resbuf *chain)
{
    rb_release(chain);
}

} // extern "C"
