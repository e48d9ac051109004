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
#include "child_process.h"
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

int Worker(int worker, int processes, DWORD seconds, unsigned seed)
{
    const ProviderEntries provider(LoadLibraryA("ZORNET32.DLL"));
    if (!provider.found) {
        std::printf("worker %d: ZORNET32.DLL or one of its entries is missing (%lu)\n", worker, GetLastError());
        return 3;
    }
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
        provider.NPLogon(nullptr, &info, nullptr, nullptr, 0, FlagsSilent); /* records, upper-cases, validates */
        RouterLogonInfo fresh = {user, newPassword}, previous = {user, password};
        provider.PPChangePassword(&fresh, &previous, ActionChangeQuietly); /* the simulated domain refuses it */

        char readUser[100], readPassword[20], readNew[20];
        provider.QENGetUseridPassword(readUser, readPassword, readNew);
        bool whole = readUser[0] == '\0' && readPassword[0] == '\0';
        for (const std::string &name : users)
            if (lstrcmpiA(readUser, name.c_str()) == 0 && lstrcmpiA(readPassword, ("P" + name).c_str()) == 0)
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

int Parent(int processes, DWORD seconds, unsigned seed)
{
    std::printf("stress: %d processes for %lu s, seed %u (replay: --seed %u)\n", processes, seconds, seed, seed);
    std::fflush(stdout);
    std::vector<ChildProcess> workers(processes);
    for (int i = 0; i < processes; ++i) {
        char arguments[96];
        wsprintfA(arguments, "--worker %d --processes %d --seconds %lu --seed %u", i, processes, seconds, seed);
        if (!workers[i].Start(ProgramCommand("stress.exe", arguments), "", true)) {
            std::printf("stress: cannot start worker %d\n", i);
            return 1;
        }
    }
    unsigned long iterations = 0, torn = 0, crashes = 0, hangs = 0;
    const DWORD grace = 120000; /* a process start under emulation can take a minute */
    for (int i = 0; i < processes; ++i) {
        DWORD exitCode = 0;
        const bool ended = workers[i].Wait(seconds * 1000 + grace, &exitCode);
        if (!ended) {
            ++hangs;
            workers[i].Kill();
        } else if (exitCode >= 0xC0000000u) {
            ++crashes;
            std::printf("worker %d crashed: exception %08lX\n", i, exitCode);
        }
        const std::string &output = workers[i].Output();
        unsigned long workerIterations = 0, workerTorn = 0;
        const char *counts = std::strstr(output.c_str(), "iterations=");
        if (counts != nullptr)
            std::sscanf(counts, "iterations=%lu torn=%lu", &workerIterations, &workerTorn);
        if (workerTorn > 0 || (counts == nullptr && ended && exitCode < 0xC0000000u))
            std::printf("worker %d (exit %lu) wrote:\n%s", i, exitCode, output.c_str());
        iterations += workerIterations;
        torn += workerTorn;
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
