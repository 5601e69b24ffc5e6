#include "library.h"

#include <cstring>
#include <unordered_set>

#include "entity_decoder.h"
#include "messages.h"
#include "requests.h"
#include "resbuf.h"
#include "settings.h"
#include "work_file.h"
#include "skelvane/environment.h"
#include "skelvane/paths.h"

lib_state &lib_current()
{
    static lib_state state;
    return state;
}

// ---- little-endian reads -------------------------------------------------

bool lib_read_u8(std::FILE *f, unsigned char &v)
{
    const int c = std::fgetc(f);
    if (c == EOF)
        return false;
    v = static_cast<unsigned char>(c);
    return true;
}

bool lib_read_i16(std::FILE *f, std::int16_t &v)
{
    unsigned char b[2];
    if (std::fread(b, 1, 2, f) != 2)
        return false;
    v = static_cast<std::int16_t>(b[0] | (b[1] << 8));
    return true;
}

bool lib_read_i32(std::FILE *f, std::int32_t &v)
{
    unsigned char b[4];
    if (std::fread(b, 1, 4, f) != 4)
        return false;
    v = static_cast<std::int32_t>(std::uint32_t(b[0]) | (std::uint32_t(b[1]) << 8) | (std::uint32_t(b[2]) << 16) |
                                  (std::uint32_t(b[3]) << 24));
    return true;
}

bool lib_read_f64(std::FILE *f, double &v)
{
    unsigned char b[8];
    if (std::fread(b, 1, 8, f) != 8)
        return false;
    std::uint64_t bits = 0;
    for (int i = 7; i >= 0; --i)
        bits = (bits << 8) | b[i];
    std::memcpy(&v, &bits, sizeof v);
    return true;
}

bool lib_read_name(std::FILE *f, std::string &name)
{
    unsigned char length;
    if (!lib_read_u8(f, length))
        return false;
    name.resize(length);
    return length == 0 || std::fread(name.data(), 1, length, f) == length;
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

static int table_entry(int type)
{
    switch (type) {
    case LIB_BLOCK:
    case LIB_PROTOTYPE:
        return 0;
    case LIB_LAYER:
        return 1;
    case LIB_LTYPE:
        return 2;
    case LIB_STYLE:
        return 3;
    case LIB_DEPENDENCY:
        return 4;
    case LIB_INDEX:
        return 5;
    case LIB_SETTING:
        return 6;
    default:
        return -1;
    }
}

char lib_table_tag(int type)
{
    static const char tags[] = "BLTSDIM";
    const int entry = table_entry(type);
    return entry < 0 ? '\0' : tags[entry];
}

std::uint16_t lib_name_hash(const char *name, std::size_t length)
{
    std::uint16_t h = 0xACAD;
    for (std::size_t i = 0; i < length; ++i) {
        const auto c = static_cast<std::uint16_t>(static_cast<std::int16_t>(static_cast<signed char>(name[i])));
        h = static_cast<std::uint16_t>(h ^ c);
        h = static_cast<std::uint16_t>((h << 1) | (h >> 15));
    }
    return h;
}

// Reads the fixed fields behind a found record's name.
static bool read_fixed_fields(int type)
{
    lib_state &st = lib_current();
    std::FILE *f = st.library;
    std::int32_t v;
    unsigned char flags = 0;
    switch (type) {
    case LIB_BLOCK:
    case LIB_PROTOTYPE: {
        if (st.version >= 30 && !lib_read_u8(f, flags))
            return false;
        if (!skip(f, 16) || !lib_read_i32(f, v))
            return false;
        st.dependency_offset = v;
        if ((flags & 1) && !skip(f, 2))
            return false;
        if (lib_current_settings().combined_data != 2) {
            if (!lib_read_i32(f, v))
                return false;
            st.prototype_offset = v;
        } else if (!skip(f, 12)) {
            return false;
        }
        return true;
    }
    case LIB_INDEX:
        if (st.version >= 30 && !lib_read_u8(f, flags))
            return false;
        return skip(f, 12) && lib_read_i32(f, v);
    case LIB_DEPENDENCY:
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
    case LIB_BLOCK: {
        std::int32_t greater, smaller, equal;
        if (st.version >= 30 && !lib_read_u8(f, flags))
            return false;
        if (!lib_read_i32(f, greater) || !lib_read_i32(f, smaller) || !lib_read_i32(f, equal))
            return false;
        const std::uint16_t h = lib_name_hash(record_name.data(), record_name.size());
        next = h == wanted_hash ? equal : (wanted_hash < h ? smaller : greater);
        return true;
    }
    case LIB_INDEX:
        if (st.version >= 30 && !lib_read_u8(f, flags))
            return false;
        if (!skip(f, 12) || !lib_read_i32(f, v))
            return false;
        next = v;
        return true;
    case LIB_DEPENDENCY: // reached only through a block, never walked
        next = 0;
        return true;
    default:
        if (!lib_read_i32(f, v))
            return false;
        next = v;
        return true;
    }
}

long lib_find(int type, const char *name, const lib_request_list *requests)
{
    lib_state &st = lib_current();
    st.dependency_offset = 0;
    st.prototype_offset = 0;
    const int entry = table_entry(type);
    if (!st.library || entry < 0 || !name)
        return 0;
    const std::size_t name_length = std::strlen(name);
    const std::uint16_t wanted_hash = type == LIB_BLOCK ? lib_name_hash(name, name_length) : 0;

    long offset;
    if (type == LIB_PROTOTYPE) {
        const lib_request *r = requests ? req_find(*requests, LIB_PROTOTYPE, name) : nullptr;
        if (!r)
            return 0;
        offset = r->prototype_offset;
    } else {
        offset = st.directory[entry].offset;
    }

    // Every record takes at least six bytes, so a longer walk has met a cycle.
    long steps_left = st.file_size / 6 + 1;
    std::string record_name;
    while (offset != 0) {
        if (--steps_left < 0) {
            msg_console("\nCorrupted library file.");
            return 0;
        }
        if (!seek_record(offset)) {
            msg_console("\nInvalid seek in library file.");
            return 0;
        }
        unsigned char t;
        if (!lib_read_u8(st.library, t)) {
            msg_console("\nCorrupted library file.");
            return 0;
        }
        if (t == LIB_BLOCK && (type == LIB_PROTOTYPE || type == LIB_INDEX))
            t = static_cast<unsigned char>(type);
        if (t != type || !lib_read_name(st.library, record_name)) {
            msg_console("\nCorrupted library file.");
            return 0;
        }
        const bool match = type == LIB_PROTOTYPE ||
                           (record_name.size() == name_length && std::memcmp(record_name.data(), name, name_length) == 0);
        if (match) {
            if (!read_fixed_fields(type)) {
                msg_console("\nCorrupted library file.");
                return 0;
            }
            return offset;
        }
        if (!next_record(type, record_name, wanted_hash, offset)) {
            msg_console("\nCorrupted library file.");
            return 0;
        }
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

resbuf *lib_list_symbols(const char *pattern)
{
    lib_state &st = lib_current();
    if (!st.library)
        return nullptr;
    resbuf *head = nullptr;
    resbuf *tail = nullptr;
    std::unordered_set<long> seen;
    std::string name;
    long offset = st.directory[5].offset;
    while (offset != 0) {
        unsigned char t;
        if (!seen.insert(offset).second || !seek_record(offset) || !lib_read_u8(st.library, t))
            goto failed;
        if (t == LIB_BLOCK)
            t = LIB_INDEX;
        if (t != LIB_INDEX || !lib_read_name(st.library, name))
            goto failed;
        {
            bool take = !name.empty() && name[0] != '*' && name.compare(0, 7, "_TAVREL") != 0 &&
                        lib_name_matches(name.c_str(), pattern ? pattern : "*");
            unsigned char flags;
            if (st.version >= 30) {
                if (!lib_read_u8(st.library, flags))
                    goto failed;
                if (flags & 2)
                    take = false;
            }
            std::int32_t next;
            if (!skip(st.library, 12) || !lib_read_i32(st.library, next))
                goto failed;
            if (take) {
                resbuf *rb = rb_build(RB_STRING, name.c_str(), 0);
                if (tail)
                    tail->next = rb;
                else
                    head = rb;
                tail = rb;
            }
            offset = next;
        }
    }
    return head;

failed:
    msg_console("\nCannot read library file.");
    rb_release(head);
    return nullptr;
}

// ---- open and close ------------------------------------------------------

enum class setting_read { missing, present, bad };

static setting_read read_setting(const char *name, int &value)
{
    lib_state &st = lib_current();
    if (!lib_find(LIB_SETTING, name))
        return setting_read::missing;
    unsigned char length, v;
    if (!lib_read_u8(st.library, length) || length != 1 || !lib_read_u8(st.library, v))
        return setting_read::bad;
    value = v;
    return setting_read::present;
}

static bool header_error()
{
    msg_console("\nERROR: Cannot read library header: \"%s\".", lib_current().path.c_str());
    return false;
}

static bool read_settings()
{
    lib_settings &s = lib_current_settings();
    const int previous_ring = s.ring_size;
    settings_reset(s);
    s.ring_size = previous_ring; // the decoder's ring until it is replaced
    s.version = lib_current().version;
    int v = 0;

    setting_read r = read_setting("RBUF", v);
    if (r == setting_read::bad)
        return header_error();
    const int ring = r == setting_read::present ? v : 50;
    if (ring != previous_ring) {
        s.ring_size = ring;
        decoder_set_ring_size(ring);
    }

    r = read_setting("R", v);
    if (r == setting_read::bad)
        return header_error();
    if (r == setting_read::present) {
        if (v == 0 || v > 3) {
            msg_console("Library file error: invalid value for RBAD.");
            return false;
        }
        s.record_ref_width = v;
    }

    r = read_setting("C", v);
    if (r == setting_read::bad)
        return header_error();
    if (r == setting_read::present) {
        if (v > 2) {
            msg_console("Unrecognized compression type in library.");
            return false;
        }
        s.coding_present = true;
        s.coding = v;
    }
    // Small rings and missing template slots are not refused here: the symbol
    // list does not need them, and the decoder fails only where a record
    // refers to an entry that does not exist.
    settings_compute_ranges(s);

    r = read_setting("FR", v);
    if (r == setting_read::bad)
        return header_error();
    if (r == setting_read::present) {
        if (v > 8) {
            msg_console("\nCorrupted library file.");
            return false;
        }
        s.fixed_point = true;
        s.fraction_bits = v;
    }

    r = read_setting("L", v);
    if (r == setting_read::bad)
        return header_error();
    if (r == setting_read::present)
        s.combined_data = v;
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
    if (full.size() <= LIB_MAX_PATH)
        st.library = skel_fopen(full.c_str(), "rb");
    if (!st.library) {
        if (!skel_file_exists(path))
            return false;
        msg_console("\nCannot open library file: %s. ", path);
        return false;
    }
    std::fseek(st.library, 0, SEEK_END);
    st.file_size = std::ftell(st.library);
    std::rewind(st.library);

    // A name of our own for each reader, created exclusively: two readers at
    // once must not share the file, and no planted link may be followed.
    st.work = skel_create_unique(stem, suffix, &st.work_name);
    if (!st.work)
        st.work = skel_create_unique("C:\\temp", suffix, &st.work_name);
    if (!st.work) {
        st.work_name.clear();
        msg_console("\nCould not open temporary file %s.", (stem + suffix).c_str());
        return false;
    }
    st.work = work_file_mirror(st.work);

    char head[6] = {};
    const std::size_t got = std::fread(head, 1, 5, st.library);
    if (got < 3 || std::memcmp(head, "TVL", 3) != 0) {
        msg_console("\nERROR: Not a symbol library file.");
        return false;
    }
    const int version = (head[3] - '0') * 10 + (head[4] - '0');
    if (got < 5 || head[3] > '4' || version < 20) {
        msg_console("\nERROR: Cannot read version \"%s\" library file.", head);
        return false;
    }
    st.version = version;

    if (std::fseek(st.library, LIB_SIGNATURE_LENGTH, SEEK_SET) != 0)
        return header_error();
    for (auto &e : st.directory) {
        unsigned char tag;
        if (!lib_read_u8(st.library, tag) || !lib_read_i32(st.library, e.offset))
            return header_error();
        e.tag = static_cast<char>(tag);
    }
    if (st.directory[0].tag != 'B' || st.directory[1].tag != 'L' || st.directory[4].tag != 'D')
        return header_error();

    return read_settings();
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
            msg_console("Error closing temporary file.");
        st.work = nullptr;
        skel_remove(st.work_name.c_str());
        st.work_name.clear();
    }
}
