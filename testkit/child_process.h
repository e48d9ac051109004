/*
 * Programs run as child processes, for the tests and the tools alike: the
 * folder of the running program, a child started with a command line in a
 * folder, its output (standard output and error together) collected, and
 * every wait for it bounded. A child still running when its ChildProcess
 * goes away is ended; every handle is closed on every path.
 */
#pragma once

#include <windows.h>

#include <string>

/* The folder of the running program, with a trailing backslash: where the
 * build put every DLL and program. */
std::string ProgramFolder();
/* The command line that starts a program of that folder, its path quoted. */
std::string ProgramCommand(const std::string &program, const std::string &arguments = "");

/* The exit code given to a child that had to be ended at its time limit. */
constexpr DWORD kChildNotFinished = 0xFFFFFFFE;

class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;

    /* Starts it in folder (the current one when empty); with collectOutput its
     * output goes to a pipe that Wait and Output read. False when it cannot
     * start, or while the child of an earlier Start is still running. */
    bool Start(const std::string &commandLine, const std::string &folder = "", bool collectOutput = false);
    /* Waits at most timeoutMs for it to end, collecting its output meanwhile.
     * True, with its exit code, when it ended; false when the time was up
     * (it goes on running). */
    bool Wait(DWORD timeoutMs, DWORD *exitCode = nullptr);
    /* Ends it at once (exit code kChildNotFinished) and waits until it has gone. */
    void Kill();
    bool Running() const;
    HANDLE Process() const { return process_; }
    /* What it wrote so far, when its output is collected. */
    const std::string &Output() const { return output_; }

private:
    void Collect();
    HANDLE process_ = nullptr;
    HANDLE pipe_ = nullptr;
    std::string output_;
};

/* Runs a program to its end, given up after timeoutMs (then it is ended and
 * kChildNotFinished returned); 0xFFFFFFFF when it cannot start. Under an
 * emulated CPU a new process now and then stalls at its start and never gets
 * going: a run given up is made again, attempts times in all. */
DWORD RunProgram(const std::string &commandLine, const std::string &folder, std::string *output,
                 DWORD timeoutMs = 60000, int attempts = 3);
