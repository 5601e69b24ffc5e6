// The open symbol library: signature, directory, settings, record lookup and the
// symbol list.  One library and one work file are open at a time, process-wide.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

#include "tvlaccess.h"

struct lib_request_list;

// Record types of the container.
enum {
    LIB_LTYPE = 4,
    LIB_LAYER = 5,
    LIB_STYLE = 6,
    LIB_BLOCK = 9,
    LIB_PROTOTYPE = 16,
    LIB_DEPENDENCY = 17,
    LIB_INDEX = 18,
    LIB_SETTING = 19,
    LIB_NO_TABLE = 20,
};

constexpr int LIB_SIGNATURE_LENGTH = 34;
constexpr int LIB_DIRECTORY_ENTRIES = 7;
constexpr std::size_t LIB_MAX_PATH = 259;

struct lib_directory_entry {
    char tag;
    std::int32_t offset;
};

struct lib_state {
    std::FILE *library = nullptr;
    std::FILE *work = nullptr;
    std::string path;      // as composed for opening
    std::string work_name; // the work file's name, for deleting it
    long file_size = 0;
    int version = 0;       // major * 10 + minor
    lib_directory_entry directory[LIB_DIRECTORY_ENTRIES] = {};
    // Fixed fields of the block that lib_find found last.
    long dependency_offset = 0;
    long prototype_offset = 0;
};

lib_state &lib_current();

bool lib_open(const char *path);
void lib_close();

// Positions the library just behind the record's fixed fields and answers the
// record's offset, or 0 when it is missing.  A prototype (type 16) is found
// through the prototype offset kept in its request.
long lib_find(int type, const char *name, const lib_request_list *requests = nullptr);

// The chain of listed symbol names matching the pattern ('*' rest, '?' one character).
resbuf *lib_list_symbols(const char *pattern);
bool lib_name_matches(const char *name, const char *pattern);

// The tag letter of the table that holds records of a type, or 0 when none does.
char lib_table_tag(int type);

std::uint16_t lib_name_hash(const char *name, std::size_t length);

struct path_parts {
    std::string directory; // up to and including the last '\' (or ':')
    std::string base;
    std::string extension; // without the dot
    bool has_extension = false;
};
path_parts split_path(const char *path);

// Little-endian reads from a file; false on a short read.
bool lib_read_u8(std::FILE *f, unsigned char &v);
bool lib_read_i16(std::FILE *f, std::int16_t &v);
bool lib_read_i32(std::FILE *f, std::int32_t &v);
bool lib_read_f64(std::FILE *f, double &v);
// A name: a length byte and that many characters.
bool lib_read_name(std::FILE *f, std::string &name);
