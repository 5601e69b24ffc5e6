// Programs started from Windows command lines, in process groups of their own.
#include "skelvane/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <strings.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <thread>

#include "skelvane/paths.h"
#include "batch_interpreter.h"
#include "process_internal.h"

struct skel_process {
    pid_t pid = -1;
    bool ended = false;
    int status = 0;
};

namespace {

bool is_blank(char c)
{
    return c == ' ' || c == '\t';
}

bool ends_with_nocase(const std::string &s, const char *suffix)
{
    const std::size_t n = std::char_traits<char>::length(suffix);
    return s.size() >= n && ::strcasecmp(s.c_str() + s.size() - n, suffix) == 0;
}

// Marks every inherited descriptor above the standard three close-on-exec, so a
// started program inherits no handles of ours.
void stop_inheriting_descriptors()
{
#ifdef SYS_close_range
    if (::syscall(SYS_close_range, 3U, ~0U, 4U /* CLOSE_RANGE_CLOEXEC */) == 0)
        return;
#endif
    const long limit = ::sysconf(_SC_OPEN_MAX);
    for (int fd = 3; fd < (limit > 0 && limit < 65536 ? limit : 65536); ++fd) {
        const int flags = ::fcntl(fd, F_GETFD);
        if (flags >= 0)
            ::fcntl(fd, F_SETFD, flags | FD_CLOEXEC);
    }
}

void record_status(skel_process *p, int status)
{
    p->ended = true;
    p->status = status;
}

bool poll_ended(skel_process *p)
{
    int status = 0;
    const pid_t r = ::waitpid(p->pid, &status, WNOHANG);
    if (r == p->pid) {
        record_status(p, status);
        return true;
    }
    if (r < 0 && errno == ECHILD) { // reaped elsewhere: it is gone all the same
        record_status(p, 0);
        return true;
    }
    return false;
}

// Waits for the process to end within the time limit, sleeping on a process
// descriptor when the kernel has them.
bool wait_limited(skel_process *p, long timeout_ms)
{
    using clock = std::chrono::steady_clock;
    const auto deadline = clock::now() + std::chrono::milliseconds(timeout_ms);
#ifdef SYS_pidfd_open
    const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, p->pid, 0));
#else
    const int pidfd = -1;
#endif
    for (;;) {
        if (poll_ended(p)) {
            if (pidfd >= 0)
                ::close(pidfd);
            return true;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - clock::now()).count();
        if (left <= 0)
            break;
        if (pidfd >= 0) {
            pollfd fd{pidfd, POLLIN, 0};
            ::poll(&fd, 1, static_cast<int>(left > 1000 ? 1000 : left));
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(left > 5 ? 5 : left));
        }
    }
    if (pidfd >= 0)
        ::close(pidfd);
    return false;
}

} // namespace

void skel_report_exec_failure(int report_fd, int err)
{
    ssize_t ignored = ::write(report_fd, &err, sizeof err);
    (void)ignored;
    ::_exit(127);
}

int skel_read_exec_report(int report[2])
{
    ::close(report[1]);
    int err = 0;
    ssize_t got;
    do
        got = ::read(report[0], &err, sizeof err);
    while (got < 0 && errno == EINTR);
    ::close(report[0]);
    return got == static_cast<ssize_t>(sizeof err) ? err : 0;
}

DWORD skel_windows_error(int err)
{
    switch (err) {
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM: return ERROR_ACCESS_DENIED;
    case ENOEXEC: return ERROR_BAD_EXE_FORMAT;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    default: return ERROR_INVALID_PARAMETER;
    }
}

std::vector<std::string> skel_split_command_line(const std::string &line)
{
    std::vector<std::string> args;
    std::size_t i = 0;
    const std::size_t n = line.size();
    while (i < n && is_blank(line[i]))
        ++i;
    if (i >= n)
        return args;

    // The program name knows no escapes: quoted up to the next quote, else up to a blank.
    std::string program;
    if (line[i] == '"') {
        ++i;
        while (i < n && line[i] != '"')
            program += line[i++];
        if (i < n)
            ++i;
    }
    while (i < n && !is_blank(line[i]))
        program += line[i++];
    args.push_back(program);

    for (;;) {
        while (i < n && is_blank(line[i]))
            ++i;
        if (i >= n)
            break;
        std::string arg;
        bool quoted = false;
        while (i < n && (quoted || !is_blank(line[i]))) {
            if (line[i] == '\\') {
                std::size_t slashes = 0;
                while (i < n && line[i] == '\\') {
                    ++slashes;
                    ++i;
                }
                if (i < n && line[i] == '"') {
                    arg.append(slashes / 2, '\\');
                    if (slashes % 2) {
                        arg += '"';
                        ++i;
                    }
                } else {
                    arg.append(slashes, '\\');
                }
            } else if (line[i] == '"') {
                ++i;
                if (quoted && i < n && line[i] == '"') { // "" inside quotes is a literal quote
                    arg += '"';
                    ++i;
                } else {
                    quoted = !quoted;
                }
            } else {
                arg += line[i++];
            }
        }
        args.push_back(arg);
    }
    return args;
}

skel_process *skel_start_process(const std::string &command_line, const std::string &current_folder, DWORD *error)
{
    auto fail = [error](DWORD code) -> skel_process * {
        if (error)
            *error = code;
        return nullptr;
    };
    std::vector<std::string> args = skel_split_command_line(command_line);
    if (args.empty() || args[0].empty())
        return fail(ERROR_INVALID_PARAMETER);
    std::string program;
    if (!skel_resolve_existing(args[0], program))
        return fail(ERROR_FILE_NOT_FOUND);
    std::string folder;
    if (!current_folder.empty() && !skel_resolve_existing(current_folder, folder))
        return fail(ERROR_PATH_NOT_FOUND);
    // A batch file is read here, so the started process need not allocate.
    skel_batch_plan_ptr plan;
    if (ends_with_nocase(program, ".bat") || ends_with_nocase(program, ".cmd"))
        plan = skel_prepare_batch(program, folder);

    std::vector<char *> argv;
    for (std::string &a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0)
        return fail(skel_windows_error(errno));
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0) {
        const int err = errno;
        ::close(report[0]);
        ::close(report[1]);
        return fail(skel_windows_error(err));
    }
    if (pid == 0) {
        ::setpgid(0, 0);
        int err = 0;
        if (!folder.empty() && ::chdir(folder.c_str()) != 0) {
            err = errno;
        } else if (plan) {
            ::close(report[0]);
            ::close(report[1]);
            stop_inheriting_descriptors();
            skel_run_batch(*plan);
        } else {
            stop_inheriting_descriptors();
            ::execv(program.c_str(), argv.data());
            err = errno;
        }
        skel_report_exec_failure(report[1], err);
    }
    ::setpgid(pid, pid); // also here, so the group exists before we could stop it
    if (const int err = skel_read_exec_report(report)) {
        int status;
        ::waitpid(pid, &status, 0);
        return fail(skel_windows_error(err));
    }
    auto *p = new skel_process;
    p->pid = pid;
    if (error)
        *error = 0;
    return p;
}

bool skel_wait_process(skel_process *p, long timeout_ms)
{
    if (!p)
        return false;
    if (p->ended)
        return true;
    if (timeout_ms >= 0)
        return wait_limited(p, timeout_ms);
    int status = 0;
    pid_t r;
    do
        r = ::waitpid(p->pid, &status, 0);
    while (r < 0 && errno == EINTR);
    record_status(p, r == p->pid ? status : 0);
    return true;
}

bool skel_process_exit_code(skel_process *p, unsigned long *code)
{
    if (!p || (!p->ended && !poll_ended(p)))
        return false;
    if (code)
        *code = WIFEXITED(p->status) ? static_cast<unsigned long>(WEXITSTATUS(p->status)) : 1UL;
    return true;
}

void skel_terminate_process(skel_process *p)
{
    if (!p || p->ended || poll_ended(p))
        return;
    ::kill(-p->pid, SIGKILL);
    skel_wait_process(p, -1);
}

void skel_close_process(skel_process *p)
{
    if (p && !p->ended)
        poll_ended(p);
    delete p;
}

DWORD WaitForSingleObject(skel_process *p, DWORD timeout_ms)
{
    if (!p)
        return WAIT_FAILED;
    const long limit = timeout_ms == INFINITE ? -1L : static_cast<long>(timeout_ms);
    return skel_wait_process(p, limit) ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}
