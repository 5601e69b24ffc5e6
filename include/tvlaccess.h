/*
 * TvlAccess: reads symbol libraries and hands a symbol's definition to callbacks
 * as chains of typed records.
 *
 * Every chain is allocated and released by the library: a chain passed to a
 * callback is released as soon as the callback returns (copy what you keep), and
 * the name list returned by ta_tvllist is handed back through ta_relrb.
 * All state is process-wide; call from one thread at a time.
 */
#ifndef TVLACCESS_H
#define TVLACCESS_H

#include <stdbool.h>
#include <stdint.h>

#include "skelvane_version.h"

#ifdef __cplusplus
extern "C" {
#endif

#if defined(TVLACCESS_BUILD)
#define TVLACCESS_API __attribute__((visibility("default")))
#else
#define TVLACCESS_API
#endif

/* Kind codes: a record code of 5000 or more is itself a value kind. */
enum {
    RB_NONE = 5000,
    RB_REAL = 5001,
    RB_POINT2D = 5002,
    RB_SHORT = 5003,
    RB_ANGLE = 5004,
    RB_STRING = 5005,
    RB_ENAME = 5006,
    RB_POINT3D = 5009,
    RB_LONG = 5010,
    RB_VOID = 5014,
    RB_LIST_BEGIN = 5016,
    RB_LIST_END = 5017,
    RB_NIL = 5019,
    RB_TYPE_NAME = 5020,
    RB_TRUE = 5021,
    RB_SHORT_290 = 5052,
    RB_SHORT_270 = 5090,
    RB_BINARY = 5091,
    RB_FLOAT = 5093,
    RB_OBJECT = 5094,
    RB_LONG_510 = 5095,
    RB_LONG_520 = 5096,
    RB_OK = 5100,
    RB_REJECT = -5003
};

/* A reference-counted interface object held by an RB_OBJECT record:
 * slot 0 queries, slot 1 adds a reference, slot 2 releases one. */
typedef struct rb_object rb_object;
struct rb_object_vtbl {
    long (*query_interface)(rb_object *self, const void *iid, void **out);
    unsigned long (*add_ref)(rb_object *self);
    unsigned long (*release)(rb_object *self);
};
struct rb_object {
    const struct rb_object_vtbl *vtbl;
};

struct rb_binary {
    int16_t short_length; /* -1 when the length exceeds 32767 */
    char *bytes;          /* owned by the record */
    uint32_t length;
};

/* One typed value in a singly linked chain. */
struct resbuf {
    struct resbuf *next;
    int16_t code;
    union {
        double real;
        double point[3];
        int16_t int16;
        int32_t int32;
        char *string; /* owned by the record */
        int32_t ename[2]; /* first word is the low half of one 64-bit value */
        struct rb_binary binary;
        rb_object *object;
        float float32;
    } value;
};

/* A callback receives a chain owned by the reader and answers a status
 * (RB_OK to accept; an entity callback may answer RB_REJECT). */
typedef int (*ta_callback)(const struct resbuf *chain);

/* Registers the entity, table and command callbacks (any may be null). */
TVLACCESS_API bool ta_init(ta_callback entity_cb, ta_callback table_cb, ta_callback command_cb);

/* Delivers one symbol's definition through the registered callbacks;
 * true when the whole definition was delivered. */
TVLACCESS_API bool ta_tvldef(const char *library_path, const char *symbol_name);

/* The library's listed symbol names as RB_STRING records, or null. */
TVLACCESS_API struct resbuf *ta_tvllist(const char *library_path);

/* Releases a chain returned by the reader. */
TVLACCESS_API void ta_relrb(struct resbuf *chain);

#ifdef __cplusplus
}
#endif

#endif
