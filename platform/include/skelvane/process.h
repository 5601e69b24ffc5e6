// Starting programs from a Windows command line, waiting for them and stopping them.
//
// The command line is split into arguments by the Windows rules (quotes,
// backslashes before quotes) and never goes through a shell.  The first
// argument names the program as a Windows path; a ".bat" file is run by the
// built-in batch interpreter (ECHO OFF, CLS, REM, a leading '@', command lines).
// Every process starts in a process group of its own, so stopping it also stops
// the programs it started.
#pragma once
#include <string>
#include <vector>

#include "skelvane/wintypes.h"

struct skel_process;

// Windows error numbers reported when a program cannot be started.
constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
constexpr DWORD ERROR_PATH_NOT_FOUND = 3;
constexpr DWORD ERROR_ACCESS_DENIED = 5;
constexpr DWORD ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr DWORD ERROR_BAD_EXE_FORMAT = 193;
constexpr DWORD ERROR_INVALID_PARAMETER = 87;

// Splits a Windows command line into its arguments.
SKEL_API std::vector<std::string> skel_split_command_line(const std::string &command_line);

// Starts the program named by the command line's first argument, in
// `current_folder` (a Windows path; empty: the caller's).  Null on failure, with
// the Windows error number in *error when given; a program that does not exist
// fails with ERROR_FILE_NOT_FOUND.
SKEL_API skel_process *skel_start_process(const std::string &windows_command_line,
                                          const std::string &current_folder = "",
                                          DWORD *error = nullptr);

// Waits until the process ends; timeout_ms < 0 waits without a limit.
// True when it ended.
SKEL_API bool skel_wait_process(skel_process *p, long timeout_ms);

// The exit code of an ended process (1 when it was stopped by a signal); false
// while it still runs.
SKEL_API bool skel_process_exit_code(skel_process *p, unsigned long *code);

// Stops the process and every program it started.
SKEL_API void skel_terminate_process(skel_process *p);

// Releases the handle; a process that still runs goes on running.
SKEL_API void skel_close_process(skel_process *p);

// Windows-named stand-ins.
constexpr DWORD INFINITE = 0xFFFFFFFF;
constexpr DWORD WAIT_OBJECT_0 = 0;
constexpr DWORD WAIT_TIMEOUT = 258;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;
constexpr WORD SW_HIDE = 0;
constexpr WORD SW_SHOWNORMAL = 1;

// Waits like skel_wait_process with INFINITE for no limit.
SKEL_API DWORD WaitForSingleObject(skel_process *p, DWORD timeout_ms);
