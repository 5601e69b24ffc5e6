#include "tvl_program.h"

#include <cstdlib>

namespace skeltest {

command tvl_command(const std::vector<std::string> &args, const std::vector<std::pair<std::string, std::string>> &env)
{
    const char *override_program = std::getenv("TVL_EXE_OVERRIDE");
    return {override_program ? override_program : TVL_PROGRAM, args, env};
}

run_result run_tvl(const std::vector<std::string> &args, const std::vector<std::pair<std::string, std::string>> &env)
{
    return run(tvl_command(args, env));
}

} // namespace skeltest
