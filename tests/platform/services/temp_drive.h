// A scratch folder mapped as drive C for the length of a test.
#pragma once
#include <string>

#include "file_text.h"
#include "scratch_folder.h"

class temp_drive : public skeltest::scratch_folder {
public:
    temp_drive() { map_drive_c(); }
    const std::string &root() const { return path(); }
    std::string host(const std::string &relative) const { return file(relative); }
    void write(const std::string &relative, const std::string &text) const
    {
        skeltest::write_file(file(relative), text);
    }
    std::string read(const std::string &relative) const { return skeltest::read_file(file(relative)); }
};
