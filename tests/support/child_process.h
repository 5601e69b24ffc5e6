// Runs programs as a host or a user runs them: arguments as a list (no shell, so
// nothing is quoted), standard output and error captured, the exit status kept.
#pragma once
#include <string>
#include <utility>
#include <vector>

namespace skeltest {

struct command {
    std::string program; // a path, or a name looked up on PATH
    std::vector<std::string> args;
    // Set for the program only, over the test's own environment.
    std::vector<std::pair<std::string, std::string>> env = {};
};

struct run_result {
    int status = -1; // the exit code; -1 when a signal ended it, 127 when it could not start
    std::string out;
    std::string err;
};

run_result run(const command &c);
// Starts every command at once and waits for all of them; results in order.
std::vector<run_result> run_together(const std::vector<command> &commands);

} // namespace skeltest
