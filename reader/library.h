// The open symbol library: signature, directory, settings, record lookup and the
// symbol list.  One library and one work file are open at a time, process-wide.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

#include "tvl_format/record_types.h"
#include "tvlaccess.h"

struct lib_request_list;

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
    lib_directory_entry directory[tvl_format::directory_entries] = {};
    // Fixed fields of the block that lib_find found last.
    long dependency_offset = 0;
    long prototype_offset = 0;
};

lib_state &lib_current();

bool lib_open(const char *path);
void lib_close();

// Positions the library just behind the record's fixed fields and answers the
// record's offset, or 0 when it is missing.  A prototype is found through the
// prototype offset kept in its request.
long lib_find(int type, const char *name, const lib_request_list *requests = nullptr);

// The chain of listed symbol names matching the pattern ('*' rest, '?' one character).
resbuf *lib_list_symbols(const char *pattern);
bool lib_name_matches(const char *name, const char *pattern);

struct path_parts {
    std::string directory; // up to and including the last '\' (or ':')
    std::string base;
    std::string extension; // without the dot
    bool has_extension = false;
};
path_parts split_path(const char *path);
