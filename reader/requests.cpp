#include "requests.h"

#include <cctype>
#include <cstdint>
#include <cstring>
#include <string>

#include "decompress.h"
#include "file_reads.h"
#include "library.h"
#include "messages.h"
#include "settings.h"
#include "tvl_format/byte_order.h"
#include "tvl_format/messages.h"

namespace fmt = tvl_format;

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

// Reads a dependency record's type, name, entry count and passed-over field.
static bool read_dependency_head(std::FILE *f, long at, std::int16_t &count)
{
    unsigned char type;
    std::string name;
    std::int32_t passed_over;
    return at > 0 && at < lib_current().file_size && std::fseek(f, at, SEEK_SET) == 0 && lib_read_u8(f, type) &&
           type == fmt::record_dependency && lib_read_name(f, name) && lib_read_i16(f, count) && count >= 0 &&
           lib_read_i32(f, passed_over);
}

// Reads one entry of a dependency record into a new request.
static bool read_dependency_entry(std::FILE *f, lib_request_list &list, bool combined)
{
    unsigned char type, length;
    if (!lib_read_u8(f, type) || !lib_read_u8(f, length) || (length & fmt::dependency_name_flag))
        return false;
    std::string name(length, '\0');
    if (length && std::fread(name.data(), 1, length, f) != length)
        return false;
    lib_request *r = req_append(list, type, name.c_str());
    if (!combined)
        return true;
    std::int32_t offset;
    unsigned char extra;
    if (!lib_read_i32(f, offset) || !lib_read_u8(f, extra))
        return false;
    r->work_offset = offset;
    for (int k = 0; k < extra; ++k) {
        if (!lib_read_name(f, name))
            return false;
        r->extra_names.push_back(name);
    }
    return true;
}

// Appends a request for every entry of the first request's dependency record.
static bool add_dependencies(lib_request_list &list)
{
    lib_state &st = lib_current();
    const bool combined = lib_current_settings().combined_data != 0;
    lib_request *first = list.head;
    if (!lib_find(first->type, first->name.c_str(), &list) || st.dependency_offset == 0)
        return true;
    std::int16_t count = 0;
    bool ok = read_dependency_head(st.library, st.dependency_offset, count);
    for (int i = 0; ok && i < count; ++i)
        ok = read_dependency_entry(st.library, list, combined);
    if (!ok)
        msg_console(fmt::msg_bad_dependencies);
    return ok;
}

static bool write_i32(std::FILE *f, std::int32_t v)
{
    unsigned char b[4];
    fmt::le_put(b, static_cast<std::uint32_t>(v), 4);
    return std::fwrite(b, 1, 4, f) == 4;
}

static long write_failed()
{
    msg_box(fmt::msg_cannot_write_data);
    msg_console(fmt::msg_out_of_disk_space);
    return -1;
}

static long read_failed()
{
    msg_box(fmt::msg_cannot_read_data);
    return -1;
}

// Positions the work file at its end and answers its length, or -1.
static long work_end(std::FILE *work)
{
    return std::fseek(work, 0, SEEK_END) == 0 ? std::ftell(work) : -1;
}

// Makes sure a request for the block's prototype exists, both knowing its offset.
static void request_prototype(lib_request_list &list, lib_request &block, long prototype_offset)
{
    const std::string proto_name = std::to_string(prototype_offset);
    lib_request *p = req_find(list, fmt::record_prototype, proto_name.c_str());
    if (!p)
        p = req_append(list, fmt::record_prototype, proto_name.c_str());
    p->prototype_offset = block.prototype_offset = prototype_offset;
}

// Finds a request's record and copies its data into the work file.  With
// combined data the first block's data carries every other record's data.
static bool load_request(lib_request_list &list, lib_request &r, bool combined)
{
    lib_state &st = lib_current();
    if (!lib_find(r.type, r.name.c_str(), &list)) {
        msg_console(fmt::msg_not_in_table, r.name.c_str(), fmt::table_tag(r.type));
        return false;
    }
    if (r.type == fmt::record_block && st.prototype_offset != 0 && !combined)
        request_prototype(list, r, st.prototype_offset);
    const bool compressed = r.type == fmt::record_block || r.type == fmt::record_prototype;
    long length;
    if (combined) {
        r.work_offset = 0;
        length = lib_copy_data(st.work, st.library, compressed, false);
    } else {
        const long end = work_end(st.work);
        if (end < 0) {
            write_failed();
            return false;
        }
        r.work_offset = end + static_cast<long>(sizeof(std::int32_t)); // behind the size field
        length = lib_copy_data(st.work, st.library, compressed, true);
    }
    if (length < 0)
        return false;
    r.length = length;
    return true;
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
        if (r->type == fmt::record_no_table) {
            // no table, nothing to copy
        } else if (!fmt::table_tag(r->type)) {
            msg_console(fmt::msg_undefined_type, r->type);
        } else {
            if (!load_request(list, *r, combined))
                return false;
            if (combined)
                break;
        }
        r = r->next;
    } while (r != list.head);
    return true;
}

long lib_copy_data(std::FILE *work, std::FILE *library, bool compressed, bool write_size)
{
    std::int32_t length;
    if (!lib_read_i32(library, length))
        return read_failed();
    const long size_at = work_end(work);
    if (size_at < 0)
        return write_failed();
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
    return work_end(work) < 0 ? write_failed() : length;
}
