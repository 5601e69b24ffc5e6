// Running the tvl program of this build, as a user runs it.
#pragma once
#include <string>
#include <utility>
#include <vector>

#include "child_process.h"

namespace skeltest {

// tvl (or the program TVL_EXE_OVERRIDE names) with the arguments.
command tvl_command(const std::vector<std::string> &args,
                    const std::vector<std::pair<std::string, std::string>> &env = {});
run_result run_tvl(const std::vector<std::string> &args,
                   const std::vector<std::pair<std::string, std::string>> &env = {});

} // namespace skeltest
