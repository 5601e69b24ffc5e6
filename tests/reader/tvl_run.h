// Runs tvl as a host runs it, in a scratch folder, for the reader's end-to-end tests.
#pragma once
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "support.h"
#include "tvl_program.h"

using ToolRun = skeltest::run_result;

class TvlTest : public testing::Test {
protected:
    rt::ScratchDir dir;

    // Runs tvl with the arguments, env set for it alone.
    ToolRun tvl(const std::vector<std::string> &args,
                const std::vector<std::pair<std::string, std::string>> &env = {})
    {
        return skeltest::run_tvl(args, env);
    }
    std::string save(const tvlw::LibraryWriter &w, const std::string &name = "lib.tvl")
    {
        const std::string path = dir.file(name);
        EXPECT_TRUE(w.save(path));
        return path;
    }
};
