// A temporary folder mapped as drive C for the length of a test.
#pragma once
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "skelvane/ui.h"

class temp_drive {
public:
    temp_drive()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "skelsvcXXXXXX").string();
        root_ = ::mkdtemp(pattern.data());
        ::setenv("SKELVANE_DRIVE_C", root_.c_str(), 1);
    }
    ~temp_drive()
    {
        ::unsetenv("SKELVANE_DRIVE_C");
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    const std::string &root() const { return root_; }
    std::string host(const std::string &relative) const { return root_ + "/" + relative; }
    void write(const std::string &relative, const std::string &text) const
    {
        std::ofstream(host(relative), std::ios::binary) << text;
    }
    std::string read(const std::string &relative) const
    {
        std::ifstream in(host(relative), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

private:
    std::string root_;
};
