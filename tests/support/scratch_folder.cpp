#include "scratch_folder.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>

namespace skeltest {

scoped_env::scoped_env(std::string name, const char *value) : name_(std::move(name))
{
    if (const char *old = std::getenv(name_.c_str()))
        saved_ = old;
    if (value)
        ::setenv(name_.c_str(), value, 1);
    else
        ::unsetenv(name_.c_str());
}

scoped_env::~scoped_env()
{
    if (saved_)
        ::setenv(name_.c_str(), saved_->c_str(), 1);
    else
        ::unsetenv(name_.c_str());
}

scratch_folder::scratch_folder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "skeltest-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("cannot make a scratch folder " + pattern + ": " + std::strerror(errno));
    path_ = pattern;
    temp_.emplace("TEMP", path_.c_str());
}

scratch_folder::~scratch_folder()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void scratch_folder::map_drive_c()
{
    drive_c_.emplace("SKELVANE_DRIVE_C", path_.c_str());
}

} // namespace skeltest
