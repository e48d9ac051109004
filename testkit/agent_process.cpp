#include "agent_process.h"

#include <cstdlib>
#include <vector>

namespace {

constexpr DWORD kPollMs = 10;

std::string JournalName()
{
    char folder[MAX_PATH] = "";
    char file[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, folder);
    GetTempFileNameA(folder, "zag", 0, file);
    return file;
}

bool StartsWith(const std::string &line, const std::string &prefix)
{
    return line.compare(0, prefix.size(), prefix) == 0;
}

} // namespace

AgentProcess::~AgentProcess()
{
    if (Running())
        Stop(10000);
    if (!journal_.empty())
        DeleteFileA(journal_.c_str());
}

bool AgentProcess::Start(const std::string &folder, const std::string &options, DWORD timeoutMs, std::string *error)
{
    journal_ = JournalName();
    if (journal_.empty() || journal_.size() > 127 || journal_.find(' ') != std::string::npos) {
        *error = "no journal path the 16-bit program can take (at most 127 characters, no spaces): \"" + journal_ +
                 "\"";
        return false;
    }
    if (!process_.Start("\"" + folder + program_ + "\" " + journal_ + " " + options, folder)) {
        *error = program_ + " could not be started from " + folder + ": error " + std::to_string(GetLastError());
        return false;
    }

    /* Registered, or stopped for a reason its journal gives. */
    const DWORD start = GetTickCount();
    for (;;) {
        for (const std::string &line : Lines()) {
            if (StartsWith(line, "registered window ")) {
                window_ = reinterpret_cast<HWND>(std::strtoul(line.c_str() + 18, nullptr, 16));
                return true;
            }
            if (StartsWith(line, "failed: ") || StartsWith(line, "stopped")) {
                *error = program_ + " did not register: " + line;
                return false;
            }
        }
        if (!process_.Running() && Lines().empty()) {
            *error = program_ + " ended without writing its journal " + journal_;
            return false;
        }
        if (GetTickCount() - start >= timeoutMs) {
            *error = program_ + " did not register its window within " + std::to_string(timeoutMs / 1000) + " s";
            Kill();
            return false;
        }
        Sleep(kPollMs);
    }
}

std::vector<std::string> AgentProcess::Lines() const
{
    std::vector<std::string> lines;
    /* Shared with the writer, which writes each line whole. */
    HANDLE file = CreateFileA(journal_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return lines;
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got > 0)
        text.append(buffer, got);
    CloseHandle(file);
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

std::string AgentProcess::WaitForLine(const std::string &prefix, DWORD timeoutMs, std::string *error) const
{
    const DWORD start = GetTickCount();
    for (;;) {
        for (const std::string &line : Lines())
            if (StartsWith(line, prefix))
                return line;
        if (GetTickCount() - start >= timeoutMs) {
            if (error != nullptr)
                *error = program_ + " wrote no line \"" + prefix + "...\" within " + std::to_string(timeoutMs) +
                         " ms";
            return "";
        }
        Sleep(kPollMs);
    }
}

int AgentProcess::Notices() const
{
    int notices = 0;
    for (const std::string &line : Lines())
        notices += StartsWith(line, "notice ") ? 1 : 0;
    return notices;
}

bool AgentProcess::Running() const
{
    return process_.Running();
}

bool AgentProcess::Stop(DWORD timeoutMs)
{
    if (!Running())
        return true;
    if (window_ != nullptr)
        PostMessageA(window_, WM_CLOSE, 0, 0);
    if (process_.Wait(timeoutMs))
        return true;
    Kill();
    return false;
}

void AgentProcess::Kill()
{
    process_.Kill();
}
