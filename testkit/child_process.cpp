#include "child_process.h"

#include <algorithm>
#include <vector>

namespace {
constexpr DWORD kPollMs = 20;
}

std::string ProgramFolder()
{
    char path[MAX_PATH] = "";
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length >= MAX_PATH)
        length = 0;
    while (length > 0 && path[length - 1] != '\\' && path[length - 1] != '/')
        --length;
    return std::string(path, length);
}

std::string ProgramCommand(const std::string &program, const std::string &arguments)
{
    return "\"" + ProgramFolder() + program + "\"" + (arguments.empty() ? "" : " " + arguments);
}

ChildProcess::~ChildProcess()
{
    if (Running())
        Kill();
    if (process_ != nullptr)
        CloseHandle(process_);
    if (pipe_ != nullptr)
        CloseHandle(pipe_);
}

bool ChildProcess::Start(const std::string &commandLine, const std::string &folder, bool collectOutput)
{
    /* One child at a time: a child that has ended gives up its handles. */
    if (Running())
        return false;
    if (process_ != nullptr)
        CloseHandle(process_);
    if (pipe_ != nullptr)
        CloseHandle(pipe_);
    process_ = pipe_ = nullptr;
    output_.clear();
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    HANDLE writeEnd = nullptr;
    if (collectOutput) {
        SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
        if (!CreatePipe(&pipe_, &writeEnd, &inherit, 0))
            return false;
        SetHandleInformation(pipe_, HANDLE_FLAG_INHERIT, 0);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = writeEnd;
        startup.hStdError = writeEnd;
    }
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    PROCESS_INFORMATION process = {};
    const BOOL started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, collectOutput, 0, nullptr,
                                        folder.empty() ? nullptr : folder.c_str(), &startup, &process);
    if (writeEnd != nullptr)
        CloseHandle(writeEnd);
    if (!started)
        return false;
    CloseHandle(process.hThread);
    process_ = process.hProcess;
    return true;
}

/* Takes what the pipe holds without waiting for its end: a process the child
 * started (Wine's desktop, say) may hold the pipe open after the child has gone. */
void ChildProcess::Collect()
{
    DWORD available = 0;
    while (pipe_ != nullptr && PeekNamedPipe(pipe_, nullptr, 0, nullptr, &available, nullptr) &&
           available > 0) {
        char buffer[512];
        DWORD got = 0;
        if (!ReadFile(pipe_, buffer, std::min<DWORD>(available, sizeof(buffer)), &got, nullptr) || got == 0)
            return;
        output_.append(buffer, got);
    }
}

bool ChildProcess::Wait(DWORD timeoutMs, DWORD *exitCode)
{
    if (process_ == nullptr)
        return false;
    const DWORD start = GetTickCount();
    for (;;) {
        Collect();
        const DWORD waited = GetTickCount() - start;
        const DWORD slice = waited >= timeoutMs ? 0 : std::min(kPollMs, timeoutMs - waited);
        if (WaitForSingleObject(process_, slice) == WAIT_OBJECT_0) {
            Collect();
            DWORD code = 0;
            GetExitCodeProcess(process_, &code);
            if (exitCode != nullptr)
                *exitCode = code;
            return true;
        }
        if (GetTickCount() - start >= timeoutMs)
            return false;
    }
}

void ChildProcess::Kill()
{
    if (process_ == nullptr)
        return;
    TerminateProcess(process_, kChildNotFinished);
    WaitForSingleObject(process_, 10000);
    Collect();
}

bool ChildProcess::Running() const
{
    return process_ != nullptr && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

DWORD RunProgram(const std::string &commandLine, const std::string &folder, std::string *output, DWORD timeoutMs,
                 int attempts)
{
    DWORD exitCode = kChildNotFinished;
    for (int attempt = 0; attempt < attempts && exitCode == kChildNotFinished; ++attempt) {
        ChildProcess child;
        if (!child.Start(commandLine, folder, output != nullptr))
            return 0xFFFFFFFF;
        if (!child.Wait(timeoutMs, &exitCode)) {
            child.Kill();
            exitCode = kChildNotFinished;
        }
        if (output != nullptr)
            *output = child.Output();
    }
    return exitCode;
}
