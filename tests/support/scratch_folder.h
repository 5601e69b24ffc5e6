// A folder of its own for one test, and environment variables set for a while.
#pragma once
#include <optional>
#include <string>

namespace skeltest {

// Sets (or, given nullptr, clears) an environment variable; the old value comes
// back when this ends.
class scoped_env {
public:
    scoped_env(std::string name, const char *value);
    ~scoped_env();
    scoped_env(const scoped_env &) = delete;
    scoped_env &operator=(const scoped_env &) = delete;

private:
    std::string name_;
    std::optional<std::string> saved_;
};

// A fresh folder under the system's temporary folder, removed with everything
// in it at the end.  While it lives TEMP points into it, so that the work files
// of the code under test land there and go with it.
class scratch_folder {
public:
    scratch_folder();
    ~scratch_folder();
    scratch_folder(const scratch_folder &) = delete;
    scratch_folder &operator=(const scratch_folder &) = delete;

    const std::string &path() const { return path_; }
    std::string file(const std::string &name) const { return path_ + "/" + name; }
    std::string operator/(const std::string &name) const { return file(name); }

    // Drive C is this folder while it lives.
    void map_drive_c();

private:
    std::string path_;
    std::optional<scoped_env> temp_;
    std::optional<scoped_env> drive_c_;
};

} // namespace skeltest
