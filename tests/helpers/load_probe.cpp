/*
 * The tests' second process. Run in a folder that holds only the libraries a
 * test chose:
 *   load_probe load LIBRARY             exit 0 when LIBRARY loads, 1 when it is refused
 *   load_probe dump                     load ZORNET32.DLL, print the shared block as hex
 *   load_probe logon USER PASS DOMAIN   load ZORNET32.DLL, call DomainLogon
 *                                       and print its status and the three strings after it
 *   load_probe write USER MS            load ZORNET32.DLL and call NPLogon (flags 0: it only
 *                                       records) for MS milliseconds with USER and password "P"+USER
 *   load_probe read MS                  load ZORNET32.DLL and read the credentials through
 *                                       QENGetUseridPassword for MS milliseconds; exit 2 when a
 *                                       password was not "P" + the user name read with it (torn)
 *   load_probe holdlock MS [midwrite]   take the provider's lock of the shared block's fields
 *                                       (midwrite: and advance their count, as a writer does
 *                                       before its stores), print "held", sleep MS milliseconds
 *                                       and exit holding it
 *   load_probe callup USER COUNT        load ZORNET32.DLL and, COUNT times, have the 16-bit
 *                                       side fetch the credentials; exit 0 when every call
 *                                       answered 0 with user name USER
 */
#include <windows.h>

#include "loaded_library.h"
#include "shared_block_view.h"
#include "zorn1632.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {


/* A library loaded, or null after saying why not. */
HMODULE Loaded(const char *name)
{
    HMODULE library = LoadLibraryA(name);
    if (library == nullptr)
        std::printf("refused %lu\n", GetLastError());
    return library;
}

int Load(const char *name)
{
    if (Loaded(name) == nullptr)
        return 1;
    std::printf("loaded\n");
    return 0;
}

int Dump()
{
    if (Loaded("ZORNET32.DLL") == nullptr)
        return 1;
    const SharedBlockView block;
    if (!block.Open()) {
        std::printf("no block\n");
        return 2;
    }
    for (DWORD i = 0; i < kSharedRecordSize; ++i)
        std::printf("%02X", block.Bytes()[i]);
    std::printf("\n");
    return 0;
}

int Logon(const char *user, const char *password, const char *domain)
{
    HMODULE provider = Loaded("ZORNET32.DLL");
    if (provider == nullptr)
        return 1;
    auto logon = ProviderEntries(provider).DomainLogon;
    char userBuffer[100], passwordBuffer[64], domainBuffer[64];
    lstrcpynA(userBuffer, user, sizeof(userBuffer));
    lstrcpynA(passwordBuffer, password, sizeof(passwordBuffer));
    lstrcpynA(domainBuffer, domain, sizeof(domainBuffer));
    const DWORD status = logon(userBuffer, passwordBuffer, domainBuffer, 1);
    std::printf("status=%lu user=%s password=%s domain=%s\n", status, userBuffer, passwordBuffer,
                domainBuffer);
    return 0;
}

int Write(const char *user, DWORD milliseconds)
{
    HMODULE provider = Loaded("ZORNET32.DLL");
    if (provider == nullptr)
        return 1;
    auto logon = ProviderEntries(provider).NPLogon;
    char userName[64], password[64];
    lstrcpynA(userName, user, sizeof(userName));
    wsprintfA(password, "P%s", user);
    for (const DWORD start = GetTickCount(); GetTickCount() - start < milliseconds;) {
        RouterLogonInfo info = {userName, password};
        logon(nullptr, &info, nullptr, nullptr, 0, 0);
    }
    return 0;
}

int Read(DWORD milliseconds)
{
    HMODULE provider = Loaded("ZORNET32.DLL");
    if (provider == nullptr)
        return 1;
    auto fetch = ProviderEntries(provider).QENGetUseridPassword;
    int torn = 0, count = 0;
    for (const DWORD start = GetTickCount(); GetTickCount() - start < milliseconds; ++count) {
        char userName[100], password[20], newPassword[20], expected[128];
        fetch(userName, password, newPassword);
        wsprintfA(expected, "P%s", userName);
        if (userName[0] != '\0' && std::strcmp(expected, password) != 0)
            ++torn;
    }
    std::printf("%d reads, %d torn\n", count, torn);
    return torn == 0 ? 0 : 2;
}

int HoldLock(DWORD milliseconds, bool midWrite)
{
    HANDLE lock = CreateMutexA(nullptr, FALSE, kSharedRecordLockName);
    if (lock == nullptr || WaitForSingleObject(lock, 10000) != WAIT_OBJECT_0)
        return 1;
    if (midWrite) {
        const SharedBlockView block;
        if (!block.Open())
            return 1;
        InterlockedIncrement(&block->fieldsSequence);
    }
    std::printf("held\n");
    std::fflush(stdout);
    Sleep(milliseconds);
    return 0; /* still holding it: the lock is abandoned (and the count left odd) */
}

int CallUp(const char *user, int count)
{
    if (Loaded("ZORNET32.DLL") == nullptr)
        return 1;
    for (int i = 0; i < count; ++i) {
        char fetchedUser[100] = "", password[20] = "", newPassword[20] = "";
        const DWORD status = Zorn1632FetchCredentials(fetchedUser, password, newPassword);
        if (status != 0 || std::strcmp(fetchedUser, user) != 0) {
            std::printf("call %d: status %lu, user \"%s\"\n", i, status, fetchedUser);
            return 2;
        }
    }
    std::printf("%d calls\n", count);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && std::strcmp(argv[1], "load") == 0)
        return Load(argv[2]);
    if (argc == 2 && std::strcmp(argv[1], "dump") == 0)
        return Dump();
    if (argc == 5 && std::strcmp(argv[1], "logon") == 0)
        return Logon(argv[2], argv[3], argv[4]);
    if (argc == 4 && std::strcmp(argv[1], "write") == 0)
        return Write(argv[2], static_cast<DWORD>(std::atoi(argv[3])));
    if (argc == 3 && std::strcmp(argv[1], "read") == 0)
        return Read(static_cast<DWORD>(std::atoi(argv[2])));
    if ((argc == 3 || (argc == 4 && std::strcmp(argv[3], "midwrite") == 0)) && std::strcmp(argv[1], "holdlock") == 0)
        return HoldLock(static_cast<DWORD>(std::atoi(argv[2])), argc == 4);
    if (argc == 4 && std::strcmp(argv[1], "callup") == 0)
        return CallUp(argv[2], std::atoi(argv[3]));
    std::printf("usage: load_probe load LIBRARY | dump | logon USER PASSWORD DOMAIN | write USER MS | read MS"
                " | holdlock MS [midwrite] | callup USER COUNT\n");
    return 3;
}
