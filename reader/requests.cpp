#include "requests.h"

#include <cctype>
#include <cstdint>
#include <cstring>
#include <string>

#include "decompress.h"
#include "library.h"
#include "messages.h"
#include "settings.h"

static std::string upper(const char *s)
{
    std::string u = s ? s : "";
    for (char &c : u)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return u;
}

static bool same_name(const std::string &a, const char *b)
{
    const std::size_t n = std::strlen(b);
    if (a.size() != n)
        return false;
    for (std::size_t i = 0; i < n; ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

lib_request *req_append(lib_request_list &list, int type, const char *name)
{
    auto *r = new lib_request;
    r->type = type;
    r->name = upper(name);
    if (!list.head) {
        r->next = r->prev = r;
        list.head = r;
    } else {
        lib_request *last = list.head->prev;
        r->prev = last;
        r->next = list.head;
        last->next = r;
        list.head->prev = r;
    }
    return r;
}

lib_request *req_find(const lib_request_list &list, int type, const char *name)
{
    lib_request *r = list.head;
    if (!r || !name)
        return nullptr;
    do {
        if (r->type == type && same_name(r->name, name))
            return r;
        r = r->next;
    } while (r != list.head);
    return nullptr;
}

void req_clear(lib_request_list &list)
{
    if (!list.head)
        return;
    list.head->prev->next = nullptr;
    for (lib_request *r = list.head; r;) {
        lib_request *next = r->next;
        delete r;
        r = next;
    }
    list.head = nullptr;
}

// Appends a request for every entry of the first request's dependency record.
static bool add_dependencies(lib_request_list &list)
{
    lib_state &st = lib_current();
    std::FILE *f = st.library;
    const bool combined = lib_current_settings().combined_data != 0;
    lib_request *first = list.head;
    if (!lib_find(first->type, first->name.c_str(), &list) || st.dependency_offset == 0)
        return true;

    const long at = st.dependency_offset;
    unsigned char type;
    std::string name;
    std::int16_t count;
    std::int32_t passed_over;
    if (at <= 0 || at >= st.file_size || std::fseek(f, at, SEEK_SET) != 0 || !lib_read_u8(f, type) ||
        type != LIB_DEPENDENCY || !lib_read_name(f, name) || !lib_read_i16(f, count) || count < 0 ||
        !lib_read_i32(f, passed_over))
        goto malformed;
    for (int i = 0; i < count; ++i) {
        unsigned char entry_type, length;
        if (!lib_read_u8(f, entry_type) || !lib_read_u8(f, length) || (length & 0x80))
            goto malformed;
        name.resize(length);
        if (length && std::fread(name.data(), 1, length, f) != length)
            goto malformed;
        lib_request *r = req_append(list, entry_type, name.c_str());
        if (combined) {
            std::int32_t offset;
            unsigned char extra;
            if (!lib_read_i32(f, offset) || !lib_read_u8(f, extra))
                goto malformed;
            r->work_offset = offset;
            for (int k = 0; k < extra; ++k) {
                if (!lib_read_name(f, name))
                    goto malformed;
                r->extra_names.push_back(name);
            }
        }
    }
    return true;

malformed:
    msg_console("\nERROR in library file.");
    return false;
}

bool lib_load_requests(lib_request_list &list)
{
    lib_state &st = lib_current();
    if (!list.head || !st.library || !st.work)
        return false;
    if (!add_dependencies(list))
        return false;

    const bool combined = lib_current_settings().combined_data != 0;
    lib_request *r = list.head;
    do {
        const int type = r->type;
        const char tag = lib_table_tag(type);
        if (type == LIB_NO_TABLE) {
            // no table, nothing to copy
        } else if (!tag) {
            msg_console("\nUndefined DJ type %d.", type);
        } else {
            if (!lib_find(type, r->name.c_str(), &list)) {
                msg_console("\nERROR: %s not found in table %c.", r->name.c_str(), tag);
                return false;
            }
            if (type == LIB_BLOCK && st.prototype_offset != 0 && !combined) {
                const std::string proto_name = std::to_string(st.prototype_offset);
                lib_request *p = req_find(list, LIB_PROTOTYPE, proto_name.c_str());
                if (!p)
                    p = req_append(list, LIB_PROTOTYPE, proto_name.c_str());
                p->prototype_offset = r->prototype_offset = st.prototype_offset;
            }
            const bool compressed = type == LIB_BLOCK || type == LIB_PROTOTYPE;
            long length;
            if (combined) {
                // The first block's data carries every other record's data.
                r->work_offset = 0;
                length = lib_copy_data(st.work, st.library, compressed, false);
            } else {
                std::fseek(st.work, 0, SEEK_END);
                r->work_offset = std::ftell(st.work) + 4;
                length = lib_copy_data(st.work, st.library, compressed, true);
            }
            if (length < 0)
                return false;
            r->length = length;
            if (combined)
                break;
        }
        r = r->next;
    } while (r != list.head);
    return true;
}

static bool write_i32(std::FILE *f, std::int32_t v)
{
    const auto u = static_cast<std::uint32_t>(v);
    const unsigned char b[4] = {static_cast<unsigned char>(u), static_cast<unsigned char>(u >> 8),
                                static_cast<unsigned char>(u >> 16), static_cast<unsigned char>(u >> 24)};
    return std::fwrite(b, 1, 4, f) == 4;
}

static long write_failed()
{
    msg_box("\nERROR: Cannot write to file");
    msg_console("\nERROR: out of disk space.");
    return -1;
}

static long read_failed()
{
    msg_box("\nERROR: Cannot read from file.");
    return -1;
}

long lib_copy_data(std::FILE *work, std::FILE *library, bool compressed, bool write_size)
{
    std::int32_t length;
    if (!lib_read_i32(library, length))
        return read_failed();
    std::fseek(work, 0, SEEK_END);
    const long size_at = std::ftell(work);
    // The plain length of a record is its stored length; a block's is known after decompression.
    if (write_size && !write_i32(work, length))
        return write_failed();

    if (compressed) {
        const long total = lib_copy_chunks(work, library, length);
        if (total < 0)
            return -1;
        if (write_size) {
            if (total > INT32_MAX || std::fseek(work, size_at, SEEK_SET) != 0 ||
                !write_i32(work, static_cast<std::int32_t>(total)))
                return write_failed();
        }
    } else {
        const long here = std::ftell(library);
        if (length < 0 || here < 0 || length > lib_current().file_size - here)
            return read_failed();
        // Repeated requests must not grow the work file without bound.
        if (!lib_work_has_room(work, library, length))
            return write_failed();
        unsigned char piece[256];
        for (long left = length; left > 0;) {
            const std::size_t n = left < 256 ? static_cast<std::size_t>(left) : 256;
            if (std::fread(piece, 1, n, library) != n)
                return read_failed();
            if (std::fwrite(piece, 1, n, work) != n)
                return write_failed();
            left -= static_cast<long>(n);
        }
    }
    std::fseek(work, 0, SEEK_END);
    return length;
}
