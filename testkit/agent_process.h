/*
 * ZORAGENT.EXE, the network client's 16-bit program (or a program built from
 * it), run in a process of its own as the tests, the demo, the benchmark and
 * the console run it: started from the build's folder (where its 16-bit
 * libraries are), waited for by the lines of its journal, asked to stop with
 * WM_CLOSE, or killed.
 * Every wait is bounded, and a wait that gives up says what it waited for.
 */
#pragma once

#include "child_process.h"

#include <windows.h>

#include <string>
#include <vector>

class AgentProcess {
public:
    explicit AgentProcess(const std::string &program = "ZORAGENT.EXE") : program_(program) {}
    ~AgentProcess();
    AgentProcess(const AgentProcess &) = delete;
    AgentProcess &operator=(const AgentProcess &) = delete;

    /* Starts the program from folder (with a trailing backslash) with its
     * journal in the temporary folder (a path the 16-bit program reads up to
     * its first space, at most 127 characters) and these options (/32, /s:N),
     * and waits until it has registered its window or stopped. False, with
     * the reason in *error, when it did not register within timeoutMs. */
    bool Start(const std::string &folder, const std::string &options, DWORD timeoutMs, std::string *error);

    /* The journal's complete lines so far. */
    std::vector<std::string> Lines() const;
    /* The first complete line that starts with prefix, waiting for it at
     * most timeoutMs; empty (and *error says so) when none came. */
    std::string WaitForLine(const std::string &prefix, DWORD timeoutMs, std::string *error = nullptr) const;
    /* How many notices ("notice N:") the program has journaled. */
    int Notices() const;

    /* Its window, as it registered it (the 16-bit handle). */
    HWND Window() const { return window_; }
    /* Asks it to stop (WM_CLOSE: it ends its registration and journals
     * "stopped") and waits for its process to end; kills it when it does not
     * end within timeoutMs. True when it stopped by itself. */
    bool Stop(DWORD timeoutMs);
    /* Ends it at once, as a crash would: it does not end its registration. */
    void Kill();
    bool Running() const;

private:
    std::string program_;
    ChildProcess process_;
    std::string journal_;
    HWND window_ = nullptr;
};
