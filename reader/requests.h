// The request list of one definition: every record it needs, with where its
// data lies in the work file.
#pragma once
#include <cstdio>
#include <string>
#include <vector>

// One record to deliver.  Requests form a circular doubly linked list.
struct lib_request {
    int type = 0;
    std::string name; // upper case
    lib_request *next = nullptr;
    lib_request *prev = nullptr;
    long work_offset = 0;
    long length = 0;
    long prototype_offset = 0;
    std::vector<std::string> extra_names;
};

struct lib_request_list {
    lib_request *head = nullptr; // the requested block; head->prev is the last request
};

lib_request *req_append(lib_request_list &list, int type, const char *name);
// Type compared exactly, name without regard to case.
lib_request *req_find(const lib_request_list &list, int type, const char *name);
void req_clear(lib_request_list &list);

// Adds the first request's dependencies and copies every request's data into the work file.
bool lib_load_requests(lib_request_list &list);

// Copies one record's data from the library's position to the end of the work
// file; blocks and prototypes are decompressed.  Answers the data length read
// from the library, or -1 after a message.
long lib_copy_data(std::FILE *work, std::FILE *library, bool compressed, bool write_size);
