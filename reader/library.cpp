#include "library.h"

#include <cstring>
#include <unordered_set>

#include "entity_decoder.h"
#include "file_reads.h"
#include "messages.h"
#include "requests.h"
#include "resbuf.h"
#include "settings.h"
#include "work_file.h"
#include "skelvane/environment.h"
#include "skelvane/paths.h"
#include "tvl_format/limits.h"
#include "tvl_format/messages.h"
#include "tvl_format/settings.h"

namespace fmt = tvl_format;

lib_state &lib_current()
{
    static lib_state state;
    return state;
}

static bool skip(std::FILE *f, long bytes)
{
    return std::fseek(f, bytes, SEEK_CUR) == 0;
}

// Offsets come from the file: only positions inside it are reachable.
static bool seek_record(long offset)
{
    lib_state &st = lib_current();
    if (offset <= 0 || offset >= st.file_size)
        return false;
    if (std::ftell(st.library) == offset)
        return true;
    return std::fseek(st.library, offset, SEEK_SET) == 0;
}

// ---- paths ---------------------------------------------------------------

path_parts split_path(const char *path)
{
    path_parts parts;
    std::string p = path ? path : "";
    for (char &c : p)
        if (c == '/')
            c = '\\';
    const std::size_t slash = p.find_last_of('\\');
    std::size_t dir_end = 0;
    if (slash != std::string::npos) {
        dir_end = slash + 1;
    } else {
        const std::size_t colon = p.find_last_of(':');
        if (colon != std::string::npos)
            dir_end = colon + 1;
    }
    parts.directory = p.substr(0, dir_end);
    const std::size_t dot = p.find_last_of('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) {
        parts.extension = p.substr(dot + 1, 256);
        parts.has_extension = !parts.extension.empty();
        parts.base = dot >= dir_end ? p.substr(dir_end, dot - dir_end) : std::string();
    } else {
        parts.base = p.substr(dir_end);
    }
    return parts;
}

// ---- tables --------------------------------------------------------------

static bool has_flags()
{
    return lib_current().version >= fmt::flags_version;
}

// The rest of an index record behind its name: flags, passed-over fields and
// the next record's offset.
static bool read_index_fields(std::FILE *f, unsigned char &flags, std::int32_t &next)
{
    flags = 0;
    if (has_flags() && !lib_read_u8(f, flags))
        return false;
    return skip(f, fmt::index_skipped_fields) && lib_read_i32(f, next);
}

// Reads the fixed fields behind a found record's name.
static bool read_fixed_fields(int type)
{
    lib_state &st = lib_current();
    std::FILE *f = st.library;
    std::int32_t v;
    unsigned char flags = 0;
    switch (type) {
    case fmt::record_block:
    case fmt::record_prototype: {
        if (has_flags() && !lib_read_u8(f, flags))
            return false;
        if (!skip(f, fmt::block_tree_fields) || !lib_read_i32(f, v))
            return false;
        st.dependency_offset = v;
        if ((flags & fmt::block_flag_wide) && !skip(f, fmt::block_wide_extra))
            return false;
        if (lib_current_settings().combined_data != fmt::combined_data_blocks) {
            if (!lib_read_i32(f, v))
                return false;
            st.prototype_offset = v;
        } else if (!skip(f, fmt::block_combined_tail)) {
            return false;
        }
        return true;
    }
    case fmt::record_index:
        return read_index_fields(f, flags, v);
    case fmt::record_dependency:
        return true;
    default: // linked tables: the next offset
        return lib_read_i32(f, v);
    }
}

// The offset of the record after a non-matching one; false when it cannot be read.
static bool next_record(int type, const std::string &record_name, std::uint16_t wanted_hash, long &next)
{
    lib_state &st = lib_current();
    std::FILE *f = st.library;
    std::int32_t v;
    unsigned char flags;
    switch (type) {
    case fmt::record_block: {
        std::int32_t greater, smaller, equal;
        if (has_flags() && !lib_read_u8(f, flags))
            return false;
        if (!lib_read_i32(f, greater) || !lib_read_i32(f, smaller) || !lib_read_i32(f, equal))
            return false;
        const std::uint16_t h = fmt::name_hash(record_name.data(), record_name.size());
        next = h == wanted_hash ? equal : (wanted_hash < h ? smaller : greater);
        return true;
    }
    case fmt::record_index:
        if (!read_index_fields(f, flags, v))
            return false;
        next = v;
        return true;
    case fmt::record_dependency: // reached only through a block, never walked
        next = 0;
        return true;
    default:
        if (!lib_read_i32(f, v))
            return false;
        next = v;
        return true;
    }
}

// The offset of a table's first record; a prototype's comes from its request.
static long first_record(int type, const char *name, const lib_request_list *requests)
{
    if (type == fmt::record_prototype) {
        const lib_request *r = requests ? req_find(*requests, fmt::record_prototype, name) : nullptr;
        return r ? r->prototype_offset : 0;
    }
    return lib_current().directory[fmt::directory_entry_of(type)].offset;
}

// Reads a record's type and name; false when the type is not the table's.
static bool read_record_head(int type, std::string &name)
{
    std::FILE *f = lib_current().library;
    unsigned char t;
    if (!lib_read_u8(f, t))
        return false;
    // Prototypes and index records are stored with a block's type.
    if (t == fmt::record_block && (type == fmt::record_prototype || type == fmt::record_index))
        t = static_cast<unsigned char>(type);
    return t == type && lib_read_name(f, name);
}

static long corrupted()
{
    msg_console(fmt::msg_corrupted_library);
    return 0;
}

long lib_find(int type, const char *name, const lib_request_list *requests)
{
    lib_state &st = lib_current();
    st.dependency_offset = 0;
    st.prototype_offset = 0;
    if (!st.library || fmt::directory_entry_of(type) < 0 || !name)
        return 0;
    const std::size_t name_length = std::strlen(name);
    const std::uint16_t wanted_hash = type == fmt::record_block ? fmt::name_hash(name, name_length) : 0;

    // Every record takes at least six bytes, so a longer walk has met a cycle.
    long steps_left = st.file_size / 6 + 1;
    std::string record_name;
    for (long offset = first_record(type, name, requests); offset != 0;) {
        if (--steps_left < 0)
            return corrupted();
        if (!seek_record(offset)) {
            msg_console(fmt::msg_invalid_seek);
            return 0;
        }
        if (!read_record_head(type, record_name))
            return corrupted();
        const bool match = type == fmt::record_prototype ||
                           (record_name.size() == name_length && std::memcmp(record_name.data(), name, name_length) == 0);
        if (match)
            return read_fixed_fields(type) ? offset : corrupted();
        if (!next_record(type, record_name, wanted_hash, offset))
            return corrupted();
    }
    return 0;
}

// ---- symbol list ---------------------------------------------------------

bool lib_name_matches(const char *name, const char *pattern)
{
    std::size_t i = 0;
    for (; name[i]; ++i) {
        if (pattern[i] == '*')
            return true;
        if (pattern[i] == '\0')
            return false;
        if (pattern[i] != '?' && pattern[i] != name[i])
            return false;
    }
    return pattern[i] == '\0';
}

// Whether an index record's name is listed under the pattern.
static bool listed(const std::string &name, const char *pattern)
{
    return !name.empty() && name[0] != '*' &&
           name.compare(0, fmt::hidden_symbol_prefix_length, fmt::hidden_symbol_prefix) != 0 &&
           lib_name_matches(name.c_str(), pattern);
}

// Reads the index record at offset: its name, whether it is listed, and the
// next record's offset; false when it cannot be read.
static bool read_index_record(long offset, const char *pattern, std::string &name, bool &take, std::int32_t &next)
{
    std::FILE *f = lib_current().library;
    unsigned char flags;
    if (!seek_record(offset) || !read_record_head(fmt::record_index, name) || !read_index_fields(f, flags, next))
        return false;
    take = listed(name, pattern) && !(flags & fmt::index_flag_hidden);
    return true;
}

resbuf *lib_list_symbols(const char *pattern)
{
    lib_state &st = lib_current();
    if (!st.library)
        return nullptr;
    resbuf *head = nullptr;
    resbuf **tail = &head;
    std::unordered_set<long> seen;
    std::string name;
    for (long offset = st.directory[fmt::entry_index].offset; offset != 0;) {
        bool take;
        std::int32_t next;
        if (!seen.insert(offset).second || !read_index_record(offset, pattern ? pattern : "*", name, take, next)) {
            msg_console(fmt::msg_cannot_list);
            rb_release(head);
            return nullptr;
        }
        if (take) {
            *tail = rb_build(RB_STRING, name.c_str(), 0);
            tail = &(*tail)->next;
        }
        offset = next;
    }
    return head;
}

// ---- open and close ------------------------------------------------------

static bool header_error()
{
    msg_console(fmt::msg_bad_header, lib_current().path.c_str());
    return false;
}

// The value byte of a setting, or -1 when the library has none; false after
// the message when its record is malformed.
static bool read_setting(const char *name, int &value)
{
    lib_state &st = lib_current();
    value = -1;
    if (!lib_find(fmt::record_setting, name))
        return true;
    unsigned char length, v;
    if (!lib_read_u8(st.library, length) || length != fmt::setting_value_length || !lib_read_u8(st.library, v))
        return header_error();
    value = v;
    return true;
}

static bool read_settings()
{
    lib_settings &s = lib_current_settings();
    const int previous_ring = s.ring_size;
    settings_reset(s);
    s.ring_size = previous_ring; // the decoder's ring until it is replaced
    s.version = lib_current().version;
    int v;

    if (!read_setting(fmt::setting_ring_size, v))
        return false;
    const int ring = v >= 0 ? v : fmt::default_ring_size;
    if (ring != previous_ring) {
        s.ring_size = ring;
        decoder_set_ring_size(ring);
    }

    if (!read_setting(fmt::setting_record_ref_width, v))
        return false;
    if (v >= 0) {
        if (v < fmt::min_record_ref_width || v > fmt::max_record_ref_width) {
            msg_console(fmt::msg_bad_record_ref_width);
            return false;
        }
        s.record_ref_width = v;
    }

    if (!read_setting(fmt::setting_coding, v))
        return false;
    if (v >= 0) {
        if (v > fmt::max_coding) {
            msg_console(fmt::msg_bad_coding);
            return false;
        }
        s.coding_present = true;
        s.coding = v;
    }
    // Small rings and missing template slots are not refused here: the symbol
    // list does not need them, and the decoder fails only where a record
    // refers to an entry that does not exist.
    settings_compute_ranges(s);

    if (!read_setting(fmt::setting_fraction_bits, v))
        return false;
    if (v >= 0) {
        if (v > fmt::max_fraction_bits) {
            msg_console(fmt::msg_corrupted_library);
            return false;
        }
        s.fixed_point = true;
        s.fraction_bits = v;
    }

    if (!read_setting(fmt::setting_combined_data, v))
        return false;
    if (v >= 0)
        s.combined_data = v;
    return true;
}

// The length of an open file, or -1 when it cannot be told; the file is left at its start.
static long file_length(std::FILE *f)
{
    if (std::fseek(f, 0, SEEK_END) != 0)
        return -1;
    const long length = std::ftell(f);
    if (length < 0 || std::fseek(f, 0, SEEK_SET) != 0)
        return -1;
    return length;
}

// Checks the signature and keeps the version.
static bool read_signature()
{
    lib_state &st = lib_current();
    char head[6] = {};
    const std::size_t got = std::fread(head, 1, 5, st.library);
    if (got < fmt::signature_letters_length ||
        std::memcmp(head, fmt::signature_letters, fmt::signature_letters_length) != 0) {
        msg_console(fmt::msg_not_a_library);
        return false;
    }
    const int version = (head[3] - '0') * 10 + (head[4] - '0');
    if (got < 5 || head[3] > '0' + fmt::last_major_version || version < fmt::first_version) {
        msg_console(fmt::msg_bad_version, head);
        return false;
    }
    st.version = version;
    return true;
}

static bool read_directory()
{
    lib_state &st = lib_current();
    if (std::fseek(st.library, fmt::signature_length, SEEK_SET) != 0)
        return header_error();
    for (auto &e : st.directory) {
        unsigned char tag;
        if (!lib_read_u8(st.library, tag) || !lib_read_i32(st.library, e.offset))
            return header_error();
        e.tag = static_cast<char>(tag);
    }
    for (int entry : {fmt::entry_blocks, fmt::entry_layers, fmt::entry_dependencies})
        if (st.directory[entry].tag != fmt::directory_tags[entry])
            return header_error();
    return true;
}

bool lib_open(const char *path)
{
    lib_close();
    lib_state &st = lib_current();
    if (!path)
        path = "";

    const std::string temp = skel_getenv("TEMP").value_or("");
    const std::string stem = temp + "\\tvldir";
    const std::string suffix = ".sb$";

    std::string full = path;
    if (!split_path(path).has_extension)
        full += ".TVL";
    st.path = full;
    if (full.size() <= fmt::max_path)
        st.library = skel_fopen(full.c_str(), "rb");
    if (!st.library) {
        if (!skel_file_exists(path))
            return false;
        msg_console(fmt::msg_cannot_open_library, path);
        return false;
    }
    // Offsets read from the file are checked against its length.
    st.file_size = file_length(st.library);
    if (st.file_size < 0) {
        msg_console(fmt::msg_cannot_open_library, path);
        return false;
    }

    // A name of our own for each reader, created exclusively: two readers at
    // once must not share the file, and no planted link may be followed.
    st.work = skel_create_unique(stem, suffix, &st.work_name);
    if (!st.work)
        st.work = skel_create_unique("C:\\temp", suffix, &st.work_name);
    if (!st.work) {
        st.work_name.clear();
        msg_console(fmt::msg_no_temporary_file, (stem + suffix).c_str());
        return false;
    }
    st.work = work_file_mirror(st.work);

    return read_signature() && read_directory() && read_settings();
}

void lib_close()
{
    lib_state &st = lib_current();
    if (st.library) {
        std::fclose(st.library);
        st.library = nullptr;
    }
    if (st.work) {
        if (std::fclose(st.work) != 0)
            msg_console(fmt::msg_closing_work_file);
        st.work = nullptr;
        skel_remove(st.work_name.c_str());
        st.work_name.clear();
    }
}
