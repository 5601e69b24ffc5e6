// The saved fuzzer inputs below a folder, for the tests that replay them.
#pragma once
#include <filesystem>
#include <vector>

#include <gtest/gtest.h>

// Every file below the folder.  A missing or empty folder fails the calling
// test: a replay that finds nothing to replay would pass while checking nothing.
inline std::vector<std::filesystem::path> saved_inputs(const std::filesystem::path &folder)
{
    std::vector<std::filesystem::path> out;
    if (std::filesystem::is_directory(folder))
        for (const auto &entry : std::filesystem::recursive_directory_iterator(folder))
            if (entry.is_regular_file())
                out.push_back(entry.path());
    if (out.empty())
        ADD_FAILURE() << "no saved inputs in " << folder.string();
    return out;
}
