// Batch files as the system writes them: ECHO ON/OFF, CLS, REM, labels, an
// optional leading '@' that keeps a line from being echoed, and command lines,
// each run to its end before the next.
#include "batch_interpreter.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <sstream>
#include <string_view>
#include <vector>

#include "process_internal.h"
#include "skelvane/paths.h"
#include "skelvane/process.h"

namespace {

enum class step_kind { text, clear, run };

struct batch_step {
    step_kind kind = step_kind::text;
    std::string out;  // written to standard output first (echo, ECHO text)
    std::string line; // the command line, for messages
    std::string program; // host path; empty when it was not found
    std::vector<std::string> args;
    std::vector<char *> argv;
};

std::string trimmed_left(const std::string &s)
{
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t'))
        ++i;
    return s.substr(i);
}

std::string first_word_upper(const std::string &line, std::string &rest)
{
    std::size_t i = 0;
    while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i])) && line[i] != '.')
        ++i;
    std::string word;
    for (std::size_t k = 0; k < i; ++k)
        word += static_cast<char>(std::toupper(static_cast<unsigned char>(line[k])));
    rest = trimmed_left(line.substr(i < line.size() && line[i] != '.' ? i + 1 : i));
    return word;
}

std::string upper(std::string s)
{
    for (char &c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.pop_back();
    return s;
}

bool is_relative(const std::string &name)
{
    const bool drive = name.size() >= 2 && name[1] == ':';
    return !drive && name[0] != '/' && name[0] != '\\';
}

// The host path of a command's program, looked for where the batch file runs.
std::string find_program(const std::string &name, const std::string &folder)
{
    std::string host;
    if (name.empty())
        return host;
    const std::string where = !folder.empty() && is_relative(name) ? folder + "/" + name : name;
    if (!skel_resolve_existing(where, host))
        host.clear();
    return host;
}

// --- What the started process does: only calls that are safe after fork ---

void put(int fd, std::string_view text)
{
    const char *p = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        p += n;
        left -= static_cast<std::size_t>(n);
    }
}

void put_number(int fd, unsigned long value)
{
    char digits[24];
    std::size_t at = sizeof digits;
    do
        digits[--at] = static_cast<char>('0' + value % 10);
    while ((value /= 10) != 0 && at > 0);
    put(fd, std::string_view(digits + at, sizeof digits - at));
}

void cannot_run(const batch_step &step, DWORD error)
{
    put(STDERR_FILENO, "'");
    put(STDERR_FILENO, step.line);
    put(STDERR_FILENO, "' cannot be run (error ");
    put_number(STDERR_FILENO, error);
    put(STDERR_FILENO, ").\n");
}

// Runs one command to its end; its exit code, 9009 when it could not start.
int run_step(const batch_step &step)
{
    if (step.program.empty()) {
        cannot_run(step, ERROR_FILE_NOT_FOUND);
        return 9009;
    }
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) {
        cannot_run(step, skel_windows_error(errno));
        return 9009;
    }
    const pid_t pid = ::fork();
    if (pid < 0) {
        const int err = errno;
        ::close(report[0]);
        ::close(report[1]);
        cannot_run(step, skel_windows_error(err));
        return 9009;
    }
    if (pid == 0) {
        ::execv(step.program.c_str(), step.argv.data());
        skel_report_exec_failure(report[1], errno);
    }
    const int err = skel_read_exec_report(report);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (err != 0) {
        cannot_run(step, skel_windows_error(err));
        return 9009;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

} // namespace

struct skel_batch_plan {
    bool readable = false;
    std::vector<batch_step> steps;
};

void skel_batch_plan_deleter::operator()(skel_batch_plan *plan) const
{
    delete plan;
}

skel_batch_plan_ptr skel_prepare_batch(const std::string &host_path, const std::string &folder)
{
    skel_batch_plan_ptr plan(new skel_batch_plan);
    // Never a pipe: opening one would wait for a writer.
    std::string text;
    if (!skel_read_host_file(host_path, text))
        return plan;
    std::istringstream in(text);
    plan->readable = true;
    bool echo = true;
    std::string raw;
    while (std::getline(in, raw)) {
        // Lines may end in CR LF or in LF alone.
        while (!raw.empty() && (raw.back() == '\r' || raw.back() == '\n'))
            raw.pop_back();
        std::string line = trimmed_left(raw);
        bool quiet = false;
        while (!line.empty() && line[0] == '@') {
            quiet = true;
            line = trimmed_left(line.substr(1));
        }
        if (line.empty() || line[0] == ':')
            continue;
        std::string rest;
        const std::string word = first_word_upper(line, rest);
        if (word == "REM")
            continue;
        batch_step step;
        if (word == "ECHO") {
            const std::string setting = upper(rest);
            if (setting == "OFF")
                echo = false;
            else if (setting == "ON")
                echo = true;
            else if (!rest.empty() || line.size() > 4)
                step.out = rest + "\n";
            else
                step.out = std::string("ECHO is ") + (echo ? "on" : "off") + ".\n";
            if (!step.out.empty())
                plan->steps.push_back(std::move(step));
            continue;
        }
        if (echo && !quiet)
            step.out = "\n>" + line + "\n";
        if (word == "CLS") {
            step.kind = step_kind::clear;
        } else {
            step.kind = step_kind::run;
            step.line = line;
            step.args = skel_split_command_line(line);
            step.program = step.args.empty() ? std::string() : find_program(step.args[0], folder);
        }
        plan->steps.push_back(std::move(step));
    }
    // The argument vectors point into the strings, so they are made last.
    for (batch_step &step : plan->steps) {
        for (std::string &a : step.args)
            step.argv.push_back(a.data());
        step.argv.push_back(nullptr);
    }
    return plan;
}

void skel_run_batch(const skel_batch_plan &plan)
{
    if (!plan.readable) {
        put(STDERR_FILENO, "The batch file cannot be found.\n");
        ::_exit(1);
    }
    int last = 0;
    for (const batch_step &step : plan.steps) {
        put(STDOUT_FILENO, step.out);
        if (step.kind == step_kind::clear && ::isatty(STDOUT_FILENO))
            put(STDOUT_FILENO, "\x1b[H\x1b[2J");
        else if (step.kind == step_kind::run)
            last = run_step(step);
    }
    ::_exit(last);
}
