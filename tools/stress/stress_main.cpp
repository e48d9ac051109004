/*
 * stress.exe: many processes log on, change passwords and read the
 * credentials through the provider at once, and every read is checked to be
 * one writer's whole set. Run by `make stress` and, briefly, by ctest.
 *
 *   stress.exe [--processes N] [--seconds S] [--seed X]
 *
 * Each worker process has its own user name and password, of a length no
 * other worker has ("P" + the user name, which the silent logon upper-cases):
 * a read whose password is not "P" + the user name read with it, or whose user
 * name is no worker's, is torn. The parent counts iterations, torn reads,
 * crashes (a worker that ends by an exception) and hangs (one that does not
 * end in time), prints them with the seed, and exits 1 on any of them.
 */
#include "loaded_library.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kMostProcesses = 16;
constexpr DWORD kLongestRun = 3600;

/* Worker i's user name: i + 1 letters (at most 16, so "P" + it fits the
 * 19 characters of a password), drawn from the seed. */
std::string UserName(unsigned seed, int worker)
{
    std::string name;
    unsigned state = seed * 2654435761u + static_cast<unsigned>(worker) * 40503u + 1u;
    for (int i = 0; i <= worker; ++i) {
        state = state * 1103515245u + 12345u;
        name += static_cast<char>('A' + (state >> 16) % 26);
    }
    return name;
}

bool SameIgnoringCase(const char *a, const std::string &b)
{
    return lstrcmpiA(a, b.c_str()) == 0;
}

int Worker(int worker, int processes, DWORD seconds, unsigned seed)
{
    HMODULE provider = LoadLibraryA("ZORNET32.DLL");
    if (provider == nullptr) {
        std::printf("worker %d: ZORNET32.DLL does not load (%lu)\n", worker, GetLastError());
        return 3;
    }
    auto logon = ProviderEntries(provider).NPLogon;
    auto change = ProviderEntries(provider).PPChangePassword;
    auto fetch = ProviderEntries(provider).QENGetUseridPassword;
    std::vector<std::string> users;
    for (int i = 0; i < processes; ++i)
        users.push_back(UserName(seed, i));
    const std::string mine = users[worker];

    unsigned long iterations = 0, torn = 0;
    for (const DWORD start = GetTickCount(); GetTickCount() - start < seconds * 1000; ++iterations) {
        char user[64], password[64], newPassword[64];
        lstrcpynA(user, mine.c_str(), sizeof(user));
        lstrcpynA(password, ("P" + mine).c_str(), sizeof(password));
        lstrcpynA(newPassword, ("N" + mine).c_str(), sizeof(newPassword));
        RouterLogonInfo info = {user, password};
        logon(nullptr, &info, nullptr, nullptr, 0, 4); /* silent: records, upper-cases, validates */
        RouterLogonInfo fresh = {user, newPassword}, previous = {user, password};
        change(&fresh, &previous, 777);                /* quietly; the simulated domain refuses it */

        char readUser[100], readPassword[20], readNew[20];
        fetch(readUser, readPassword, readNew);
        bool whole = readUser[0] == '\0' && readPassword[0] == '\0';
        for (const std::string &name : users)
            if (SameIgnoringCase(readUser, name) && SameIgnoringCase(readPassword, "P" + name))
                whole = true;
        if (!whole) {
            if (torn < 3)
                std::printf("worker %d: torn read: user \"%s\", password \"%s\"\n", worker, readUser, readPassword);
            ++torn;
        }
    }
    std::printf("iterations=%lu torn=%lu\n", iterations, torn);
    std::fflush(stdout);
    return torn == 0 ? 0 : 2;
}

struct Child {
    PROCESS_INFORMATION process = {};
    HANDLE output = nullptr;
};

bool StartWorker(int worker, int processes, DWORD seconds, unsigned seed, Child *child)
{
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE readEnd, writeEnd;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        return false;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    char commandLine[MAX_PATH + 128];
    wsprintfA(commandLine, "\"%s\" --worker %d --processes %d --seconds %lu --seed %u", path, worker, processes,
              seconds, seed);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    const BOOL started =
        CreateProcessA(nullptr, commandLine, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &child->process);
    CloseHandle(writeEnd);
    if (!started) {
        CloseHandle(readEnd);
        return false;
    }
    child->output = readEnd;
    return true;
}

/* What a worker that has ended left in its pipe. Never waits: a process the
 * worker started (Wine's desktop, say) may hold the pipe open for good. */
std::string ReadAvailable(HANDLE pipe)
{
    std::string text;
    char buffer[512];
    DWORD available = 0, got = 0;
    while (PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) && available > 0 &&
           ReadFile(pipe, buffer, available < sizeof(buffer) ? available : sizeof(buffer), &got, nullptr) && got > 0)
        text.append(buffer, got);
    return text;
}

int Parent(int processes, DWORD seconds, unsigned seed)
{
    std::printf("stress: %d processes for %lu s, seed %u (replay: --seed %u)\n", processes, seconds, seed, seed);
    std::fflush(stdout);
    std::vector<Child> children(processes);
    for (int i = 0; i < processes; ++i)
        if (!StartWorker(i, processes, seconds, seed, &children[i])) {
            std::printf("stress: cannot start worker %d\n", i);
            return 1;
        }
    unsigned long iterations = 0, torn = 0, crashes = 0, hangs = 0;
    const DWORD grace = 120000; /* a process start under emulation can take a minute */
    for (int i = 0; i < processes; ++i) {
        Child &child = children[i];
        if (WaitForSingleObject(child.process.hProcess, seconds * 1000 + grace) == WAIT_TIMEOUT) {
            ++hangs;
            TerminateProcess(child.process.hProcess, 0xDEAD);
            WaitForSingleObject(child.process.hProcess, 10000);
        }
        const std::string output = ReadAvailable(child.output);
        DWORD exitCode = 0;
        GetExitCodeProcess(child.process.hProcess, &exitCode);
        if (exitCode >= 0xC0000000u) {
            ++crashes;
            std::printf("worker %d crashed: exception %08lX\n", i, exitCode);
        }
        unsigned long workerIterations = 0, workerTorn = 0;
        const char *counts = std::strstr(output.c_str(), "iterations=");
        if (counts != nullptr)
            std::sscanf(counts, "iterations=%lu torn=%lu", &workerIterations, &workerTorn);
        else if (exitCode < 0xC0000000u && exitCode != 0xDEAD)
            std::printf("worker %d ended without counts (exit %lu): %s\n", i, exitCode, output.c_str());
        for (size_t at = output.find("torn read"); at != std::string::npos; at = output.find("torn read", at + 1))
            std::printf("%s\n", output.substr(output.rfind('\n', at) + 1, output.find('\n', at) - output.rfind('\n', at) - 1).c_str());
        iterations += workerIterations;
        torn += workerTorn;
        CloseHandle(child.output);
        CloseHandle(child.process.hThread);
        CloseHandle(child.process.hProcess);
    }
    std::printf("stress: seed %u, %d processes, %lu s: %lu iterations (%.0f per second), %lu torn reads, "
                "%lu crashes, %lu hangs\n",
                seed, processes, seconds, iterations, seconds ? static_cast<double>(iterations) / seconds : 0.0, torn,
                crashes, hangs);
    return torn == 0 && crashes == 0 && hangs == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    int processes = 8, worker = -1;
    DWORD seconds = 30;
    unsigned seed = GetTickCount();
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--processes") == 0)
            processes = std::atoi(argv[i + 1]);
        else if (std::strcmp(argv[i], "--seconds") == 0)
            seconds = static_cast<DWORD>(std::strtoul(argv[i + 1], nullptr, 10));
        else if (std::strcmp(argv[i], "--seed") == 0)
            seed = static_cast<unsigned>(std::strtoul(argv[i + 1], nullptr, 10));
        else if (std::strcmp(argv[i], "--worker") == 0)
            worker = std::atoi(argv[i + 1]);
        else {
            std::fprintf(stderr, "stress: unknown option %s\n", argv[i]);
            return 2;
        }
    }
    if ((argc - 1) % 2 != 0 || processes < 1 || processes > kMostProcesses || seconds < 1 || seconds > kLongestRun) {
        std::fprintf(stderr, "usage: stress.exe [--processes 1-%d] [--seconds 1-%lu] [--seed X]\n", kMostProcesses,
                     kLongestRun);
        return 2;
    }
    if (worker >= 0)
        return worker < processes ? Worker(worker, processes, seconds, seed) : 2;
    return Parent(processes, seconds, seed);
}
