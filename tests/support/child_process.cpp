#include "child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

extern char **environ;

namespace skeltest {
namespace {

// The test's environment with the command's variables set over it.
std::vector<std::string> environment_for(const command &c)
{
    std::vector<std::string> out;
    for (char **e = environ; *e; ++e) {
        const std::string entry = *e;
        bool replaced = false;
        for (const auto &[name, value] : c.env)
            replaced = replaced || entry.compare(0, name.size() + 1, name + "=") == 0;
        if (!replaced)
            out.push_back(entry);
    }
    for (const auto &[name, value] : c.env)
        out.push_back(name + "=" + value);
    return out;
}

std::vector<char *> pointers(std::vector<std::string> &strings)
{
    std::vector<char *> out;
    for (std::string &s : strings)
        out.push_back(s.data());
    out.push_back(nullptr);
    return out;
}

struct child {
    pid_t pid = -1;
    int out = -1; // read ends of its standard output and error
    int err = -1;
};

// Starts the command with standard input from /dev/null and its output into
// pipes; the pipes close on exec, so children started together do not hold
// each other's open.
child start(const command &c, run_result &r)
{
    int out[2], err[2];
    if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) {
        r.status = 127;
        r.err = std::string("cannot make a pipe: ") + std::strerror(errno);
        return {};
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);

    std::vector<std::string> argv_strings{c.program};
    argv_strings.insert(argv_strings.end(), c.args.begin(), c.args.end());
    std::vector<std::string> env_strings = environment_for(c);
    std::vector<char *> argv = pointers(argv_strings), envp = pointers(env_strings);

    child ch;
    const int failed = ::posix_spawnp(&ch.pid, c.program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    ::close(err[1]);
    if (failed) {
        ::close(out[0]);
        ::close(err[0]);
        r.status = 127;
        r.err = "cannot start " + c.program + ": " + std::strerror(failed);
        return {};
    }
    ch.out = out[0];
    ch.err = err[0];
    return ch;
}

// Reads every open pipe until all of them end, so that no child waits on a full one.
void drain(std::vector<child> &children, std::vector<run_result> &results)
{
    for (;;) {
        std::vector<pollfd> fds;
        std::vector<std::string *> sinks;
        for (std::size_t i = 0; i < children.size(); ++i) {
            if (children[i].out >= 0) {
                fds.push_back({children[i].out, POLLIN, 0});
                sinks.push_back(&results[i].out);
            }
            if (children[i].err >= 0) {
                fds.push_back({children[i].err, POLLIN, 0});
                sinks.push_back(&results[i].err);
            }
        }
        if (fds.empty())
            return;
        if (::poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        for (std::size_t f = 0; f < fds.size(); ++f) {
            if (!fds[f].revents)
                continue;
            char buffer[65536];
            const ssize_t n = ::read(fds[f].fd, buffer, sizeof buffer);
            if (n > 0) {
                sinks[f]->append(buffer, static_cast<std::size_t>(n));
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            ::close(fds[f].fd);
            for (child &ch : children) {
                if (ch.out == fds[f].fd)
                    ch.out = -1;
                if (ch.err == fds[f].fd)
                    ch.err = -1;
            }
        }
    }
}

} // namespace

std::vector<run_result> run_together(const std::vector<command> &commands)
{
    std::vector<run_result> results(commands.size());
    std::vector<child> children;
    for (std::size_t i = 0; i < commands.size(); ++i)
        children.push_back(start(commands[i], results[i]));
    drain(children, results);
    for (std::size_t i = 0; i < children.size(); ++i) {
        if (children[i].pid < 0)
            continue;
        int raw = 0;
        pid_t done;
        do
            done = ::waitpid(children[i].pid, &raw, 0);
        while (done < 0 && errno == EINTR);
        results[i].status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }
    return results;
}

run_result run(const command &c)
{
    return run_together({c}).front();
}

} // namespace skeltest
