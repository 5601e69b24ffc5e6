// The saved fuzzer inputs below a folder, for the tests that replay them.
#pragma once
#include <filesystem>
#include <vector>

inline std::vector<std::filesystem::path> saved_inputs(const std::filesystem::path &folder)
{
    std::vector<std::filesystem::path> out;
    if (std::filesystem::is_directory(folder))
        for (const auto &entry : std::filesystem::recursive_directory_iterator(folder))
            if (entry.is_regular_file())
                out.push_back(entry.path());
    return out;
}
