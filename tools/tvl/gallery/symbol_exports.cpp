#include "symbol_exports.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "hash.h"
#include "site_writer.h"

extern char **environ;

namespace fs = std::filesystem;

namespace {

// Starts program with args, its output discarded; -1 when it cannot start.
pid_t start_quietly(const std::string &program, const std::vector<std::string> &args)
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
    return started == 0 ? pid : -1;
}

// The exit status, or -1 when it did not start or did not exit by itself.
int wait_for(pid_t pid)
{
    int status = 0;
    if (pid <= 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

} // namespace

bool export_available(const std::string &program)
{
    return wait_for(start_quietly(program, {"export", "--help"})) == 0;
}

const std::vector<std::string> &export_formats()
{
    static const std::vector<std::string> formats{"dxf", "svg", "obj"};
    return formats;
}

std::string export_folder(const gallery_settings &settings, const site_library &library)
{
    const std::string key =
        hash_key({"exports", library.stamp.library, std::to_string(library.stamp.size),
                  std::to_string(library.stamp.modified), library.stamp.settings});
    return (fs::path(settings.cache) / "exports" / key).string();
}

export_runs start_exports(const std::string &program, const gallery_settings &settings,
                          const std::vector<site_library> &libraries)
{
    export_runs runs;
    runs.libraries.resize(libraries.size());
    for (std::size_t l = 0; l < libraries.size(); ++l) {
        const std::string folder = export_folder(settings, libraries[l]);
        std::error_code error;
        if (fs::is_directory(folder, error))
            continue;
        const std::string temporary = folder + ".tmp-" + std::to_string(getpid());
        for (const std::string &format : export_formats()) {
            std::vector<std::string> args{"export", libraries[l].path, "--all", "--quiet", "--format", format,
                                          "--mode", settings.mode, "-o", (fs::path(temporary) / format).string()};
            if (!settings.colors.empty()) {
                args.push_back("--colors");
                args.push_back(settings.colors);
            }
            // A symbol that cannot be exported fails the run but not the others' files.
            runs.libraries[l].push_back({start_quietly(program, args), temporary, folder});
        }
    }
    return runs;
}

void finish_exports(export_runs &runs)
{
    for (auto &library : runs.libraries) {
        // Exit status 1 is a symbol that could not be exported; the others' files are whole.
        bool finished = true;
        for (const auto &run : library) {
            const int status = wait_for(run.pid);
            finished = finished && (status == 0 || status == 1);
        }
        if (library.empty())
            continue;
        std::error_code error;
        // Another gallery run may have put the same folder in place first.
        if (!finished || std::rename(library[0].temporary.c_str(), library[0].folder.c_str()) != 0)
            fs::remove_all(library[0].temporary, error);
    }
}
