// The record layer of a SAT text file: header, records ending in '#', tokens.
#pragma once
#include <string>
#include <vector>

struct sat_record {
    std::string name;                // e.g. "face", "plane-surface", "tvertex-vertex"
    std::vector<std::string> tokens; // the fields after the name; strings without their @len
};

struct sat_text {
    int version = 0; // 0 when the file has no header line
    std::vector<sat_record> records; // $n points at records[n]
};

// Splits SAT text into records.  Stops at "End-of-ACIS-data" or the start of
// history data.  False with a reason when the text holds no records at all.
bool sat_split(const std::string &text, sat_text &out, std::string &error);
