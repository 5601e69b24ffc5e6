#include "worker_pool.h"

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

struct started {
    pid_t pid;
    int pipe_read;
};

[[noreturn]] void run_worker(int k, int pipe_write, const std::function<bool(int, std::FILE *)> &work)
{
    bool ok = false;
    if (std::FILE *out = fdopen(pipe_write, "w")) {
        try {
            ok = work(k, out);
        } catch (...) {
            // the parent's stack is no place to continue in; the worker just failed
            ok = false;
        }
        ok = std::fflush(out) == 0 && ok;
        ok = std::fclose(out) == 0 && ok;
    }
    std::fflush(nullptr);
    _exit(ok ? 0 : 1);
}

// Reads every pipe to its end at once, so that no worker waits on a full pipe.
void read_all(const std::vector<started> &workers, std::vector<worker_report> &reports)
{
    std::vector<pollfd> open;
    for (const started &w : workers)
        open.push_back({w.pipe_read, POLLIN, 0});
    std::size_t left = open.size();
    char buffer[65536];
    while (left > 0) {
        if (poll(open.data(), open.size(), -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        for (std::size_t i = 0; i < open.size(); ++i) {
            if (open[i].fd < 0 || open[i].revents == 0)
                continue;
            const ssize_t got = read(open[i].fd, buffer, sizeof buffer);
            if (got > 0) {
                reports[i].output.append(buffer, static_cast<std::size_t>(got));
            } else if (got == 0 || errno != EINTR) {
                open[i].fd = -1; // poll skips it from now on
                --left;
            }
        }
    }
}

} // namespace

worker_pool_result run_worker_pool(int workers, const std::function<bool(int k, std::FILE *out)> &work)
{
    // Workers inherit what is buffered; written once here, not once per worker.
    std::fflush(nullptr);
    worker_pool_result result;
    std::vector<started> running;
    for (int k = 0; k < workers; ++k) {
        int fds[2];
        if (pipe(fds) != 0) {
            result.error = std::string("cannot start a worker: ") + std::strerror(errno);
            break;
        }
        const pid_t pid = fork();
        if (pid < 0) {
            result.error = std::string("cannot start a worker: ") + std::strerror(errno);
            close(fds[0]);
            close(fds[1]);
            break;
        }
        if (pid == 0) {
            close(fds[0]);
            for (const started &w : running)
                close(w.pipe_read);
            run_worker(k, fds[1], work);
        }
        close(fds[1]);
        running.push_back({pid, fds[0]});
    }
    result.workers.resize(running.size());
    read_all(running, result.workers);
    for (std::size_t i = 0; i < running.size(); ++i) {
        close(running[i].pipe_read);
        int status = 0;
        pid_t ended = -1;
        while ((ended = waitpid(running[i].pid, &status, 0)) < 0 && errno == EINTR) {
        }
        result.workers[i].clean = ended == running[i].pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    return result;
}
