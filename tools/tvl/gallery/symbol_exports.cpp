#include "symbol_exports.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <vector>

#include "atomic_file.h"
#include "hash.h"
#include "picture_cache.h"
#include "site_writer.h"

extern char **environ;

namespace {

// Runs program with args, its output discarded; true when it exits 0.
bool run_quietly(const std::string &program, const std::vector<std::string> &args)
{
    std::vector<char *> argv;
    argv.push_back(const_cast<char *>(program.c_str()));
    for (const std::string &a : args)
        argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int started = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (started != 0)
        return false;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid)
        return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

bool export_available(const std::string &program)
{
    return run_quietly(program, {"export", "--help"});
}

bool export_symbol(const std::string &program, const site_library &library, const symbol_facts &facts,
                   const std::string &format, const gallery_settings &settings, const std::string &drawing,
                   const std::string &target)
{
    const std::string key =
        hash_key({"export", library.stamp.library, facts.name, hex64(facts.definition), format, drawing});
    const std::string cached =
        (std::filesystem::path(settings.cache) / "exports" / key.substr(0, 2) / (key + "." + format)).string();
    std::error_code error;
    if (!std::filesystem::exists(cached, error)) {
        const bool made = write_file_atomically(cached, [&](const std::string &temporary) {
            // tvl export picks the format by the file's extension.
            const std::string named = temporary + "." + format;
            const bool ok = run_quietly(program, {"export", library.path, facts.name, "-o", named}) &&
                            std::rename(named.c_str(), temporary.c_str()) == 0;
            std::remove(named.c_str());
            return ok;
        });
        if (!made)
            return false;
    }
    return serve_file(cached, target);
}
