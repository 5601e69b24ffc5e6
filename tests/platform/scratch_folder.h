// A temporary folder for one test, removed afterwards.
#pragma once
#include <cstdlib>
#include <filesystem>
#include <string>

class scratch_folder {
public:
    scratch_folder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "skeltest.XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~scratch_folder() { std::filesystem::remove_all(path_); }
    scratch_folder(const scratch_folder &) = delete;
    scratch_folder &operator=(const scratch_folder &) = delete;

    const std::string &path() const { return path_; }
    std::string operator/(const std::string &name) const { return path_ + "/" + name; }

private:
    std::string path_;
};
