#include "resbuf.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "messages.h"

void rb_out_of_memory()
{
    std::exit(-1);
}

resbuf *rb_new(int code)
{
    auto *rb = static_cast<resbuf *>(std::calloc(1, sizeof(resbuf)));
    if (!rb)
        rb_out_of_memory();
    rb->code = static_cast<int16_t>(code);
    return rb;
}

void rb_clear_value(resbuf *rb)
{
    switch (rb_basic_kind(rb->code)) {
    case RB_STRING:
        std::free(rb->value.string);
        break;
    case RB_BINARY:
        std::free(rb->value.binary.bytes);
        break;
    case RB_OBJECT:
        if (rb->value.object)
            rb->value.object->vtbl->release(rb->value.object);
        break;
    default:
        break;
    }
    std::memset(&rb->value, 0, sizeof rb->value);
}

int rb_release(resbuf *chain)
{
    while (chain) {
        resbuf *next = chain->next;
        rb_clear_value(chain);
        std::free(chain);
        chain = next;
    }
    return RB_OK;
}

static char *dup_string(const char *s)
{
    if (!s)
        s = "";
    char *copy = strdup(s);
    if (!copy)
        rb_out_of_memory();
    return copy;
}

static char *dup_bytes(const void *bytes, std::size_t length)
{
    if (length == 0 || !bytes)
        return nullptr;
    auto *copy = static_cast<char *>(std::malloc(length));
    if (!copy)
        rb_out_of_memory();
    std::memcpy(copy, bytes, length);
    return copy;
}

resbuf *rb_copy(const resbuf *rb)
{
    resbuf *copy = rb_new(rb->code);
    copy->value = rb->value;
    switch (rb_basic_kind(rb->code)) {
    case RB_STRING:
        if (rb->value.string)
            copy->value.string = dup_string(rb->value.string);
        break;
    case RB_BINARY:
        copy->value.binary.bytes = dup_bytes(rb->value.binary.bytes, rb->value.binary.length);
        if (!copy->value.binary.bytes) {
            copy->value.binary.length = 0;
            copy->value.binary.short_length = 0;
        }
        break;
    case RB_OBJECT:
        if (copy->value.object)
            copy->value.object->vtbl->add_ref(copy->value.object);
        break;
    default:
        break;
    }
    return copy;
}

static void set_binary(resbuf *rb, const void *bytes, long length)
{
    if (length < 0 || !bytes)
        length = 0;
    const auto n = static_cast<uint32_t>(length);
    rb->value.binary.bytes = dup_bytes(bytes, n);
    rb->value.binary.length = rb->value.binary.bytes ? n : 0;
    rb->value.binary.short_length =
        rb->value.binary.length > 32767 ? int16_t(-1) : static_cast<int16_t>(rb->value.binary.length);
}

// Takes one value from the argument list into a record; false for a code
// whose kind the builder does not know.
static bool take_value(resbuf *rb, int code, va_list *ap)
{
    switch (rb_kind(code)) {
    case RB_REAL:
    case RB_ANGLE:
        rb->value.real = va_arg(*ap, double);
        return true;
    case RB_POINT2D: {
        const double *p = va_arg(*ap, const double *);
        if (p)
            std::memcpy(rb->value.point, p, 2 * sizeof(double));
        return true;
    }
    case RB_POINT3D: {
        const double *p = va_arg(*ap, const double *);
        if (p)
            std::memcpy(rb->value.point, p, 3 * sizeof(double));
        return true;
    }
    case RB_SHORT:
    case RB_SHORT_270:
    case RB_SHORT_290:
        rb->value.int16 = static_cast<int16_t>(va_arg(*ap, int));
        return true;
    case RB_LONG:
        rb->value.int32 = static_cast<int32_t>(va_arg(*ap, int));
        return true;
    case RB_ENAME: {
        const int32_t *e = va_arg(*ap, const int32_t *);
        if (e)
            std::memcpy(rb->value.ename, e, sizeof rb->value.ename);
        return true;
    }
    case RB_STRING:
        rb->value.string = dup_string(va_arg(*ap, const char *));
        return true;
    case RB_TYPE_NAME:
        rb->value.string = dup_string(va_arg(*ap, const char *));
        rb->code = 0;
        return true;
    case RB_BINARY: {
        const int length = va_arg(*ap, int);
        const void *bytes = va_arg(*ap, const void *);
        set_binary(rb, bytes, length);
        return true;
    }
    case RB_FLOAT:
        rb->value.float32 = static_cast<float>(va_arg(*ap, double));
        return true;
    case RB_OBJECT:
        rb->value.object = va_arg(*ap, rb_object *);
        if (rb->value.object)
            rb->value.object->vtbl->add_ref(rb->value.object);
        return true;
    case RB_NONE:
    case RB_VOID:
    case RB_LIST_BEGIN:
    case RB_LIST_END:
    case RB_NIL:
    case RB_TRUE:
    case 5018:
        return true;
    default:
        return false;
    }
}

resbuf *rb_build(int code, ...)
{
    va_list args;
    va_start(args, code);
    resbuf *chain = rb_vbuild(code, args);
    va_end(args);
    return chain;
}

resbuf *rb_vbuild(int code, va_list args)
{
    va_list ap;
    va_copy(ap, args);
    resbuf *head = nullptr;
    resbuf *tail = nullptr;
    while (code != 0 && code != RB_NONE) {
        resbuf *rb = rb_new(code);
        if (!take_value(rb, code, &ap)) {
            std::free(rb);
            rb_release(head);
            head = nullptr;
            break;
        }
        if (tail)
            tail->next = rb;
        else
            head = rb;
        tail = rb;
        code = va_arg(ap, int);
    }
    va_end(ap);
    return head;
}

resbuf *rb_find(resbuf *chain, int code)
{
    return rb_find(chain, code, nullptr);
}

resbuf *rb_find(resbuf *chain, int code, resbuf **before)
{
    resbuf *prev = nullptr;
    for (resbuf *rb = chain; rb; prev = rb, rb = rb->next) {
        if (rb->code == code) {
            if (before)
                *before = prev;
            return rb;
        }
    }
    if (before)
        *before = nullptr;
    return nullptr;
}

resbuf *rb_last(resbuf *chain)
{
    if (!chain)
        return nullptr;
    while (chain->next)
        chain = chain->next;
    return chain;
}

void rb_append_real(resbuf **head, double value, int code)
{
    resbuf *rb = rb_new(code);
    rb->value.real = value;
    if (*head)
        rb_last(*head)->next = rb;
    else
        *head = rb;
}

const char *rb_string(const resbuf *rb)
{
    if (rb && rb_kind(rb->code) == RB_STRING)
        return rb->value.string;
    return nullptr;
}

static uint32_t first_word(const resbuf *rb)
{
    uint32_t w;
    std::memcpy(&w, &rb->value, sizeof w);
    return w;
}

void rb_format(const resbuf *rb, char *out, std::size_t size)
{
    const int code = rb->code;
    const auto &v = rb->value;
    switch (rb_basic_kind(code)) {
    case RB_REAL:
        std::snprintf(out, size, "(%d.%0.6g)", code, v.real);
        return;
    case RB_POINT2D:
        std::snprintf(out, size, "(%d.(%0.6g %0.6g))", code, v.point[0], v.point[1]);
        return;
    case RB_POINT3D:
        std::snprintf(out, size, "(%d.(%0.6g %0.6g %0.6g))", code, v.point[0], v.point[1], v.point[2]);
        return;
    case RB_SHORT:
        std::snprintf(out, size, "(%d.%d)", code, v.int16);
        return;
    case RB_LONG:
        std::snprintf(out, size, "(%d.%ld)", code, static_cast<long>(v.int32));
        return;
    case RB_STRING:
        std::snprintf(out, size, "(%d.\"%s\")", code, v.string ? v.string : "");
        return;
    case RB_ENAME: {
        const long long name = static_cast<long long>(
            (static_cast<uint64_t>(static_cast<uint32_t>(v.ename[1])) << 32) |
            static_cast<uint32_t>(v.ename[0]));
        std::snprintf(out, size, "(%d.<%lld>)", code, name);
        return;
    }
    case RB_OBJECT:
    case RB_LONG_510:
    case RB_LONG_520:
        std::snprintf(out, size, "(%d.%lx)", code, static_cast<unsigned long>(first_word(rb)));
        return;
    case RB_BINARY: {
        int used = std::snprintf(out, size, "(%d.\"", code);
        const auto *bytes = reinterpret_cast<const unsigned char *>(v.binary.bytes);
        for (uint32_t i = 0; bytes && i < v.binary.length && used >= 0 && std::size_t(used) < size; ++i)
            used += std::snprintf(out + used, size - used, "%2.2X", bytes[i]);
        if (used >= 0 && std::size_t(used) < size)
            std::snprintf(out + used, size - used, "\")");
        return;
    }
    case RB_NONE:
        switch (rb_kind(code)) {
        case RB_VOID:
        case 6002:
            std::snprintf(out, size, "(null)");
            return;
        case RB_LIST_BEGIN:
            std::snprintf(out, size, "(");
            return;
        case RB_LIST_END:
            std::snprintf(out, size, ")");
            return;
        case RB_NIL:
            std::snprintf(out, size, "(nil)");
            return;
        case RB_TRUE:
            std::snprintf(out, size, "T");
            return;
        default:
            std::snprintf(out, size, "Unknown type: %d", code);
            return;
        }
    default:
        std::snprintf(out, size, "Unknown basic type: %d", code);
        return;
    }
}

void rb_print(const resbuf *chain)
{
    char text[1024];
    for (const resbuf *rb = chain; rb; rb = rb->next) {
        rb_format(rb, text, sizeof text);
        msg_box("%s", text);
    }
}
