/*
 * The tests' second process. Run in a folder that holds only the libraries a
 * test chose:
 *   load_probe load LIBRARY             exit 0 when LIBRARY loads, 1 when it is refused
 *   load_probe dump                     load ZORNET32.DLL, print the shared block as hex
 *   load_probe logon USER PASS DOMAIN   load ZORNET32.DLL, call DomainLogon (ordinal 100)
 *                                       and print its status and the three strings after it
 *   load_probe callup USER COUNT        load ZORNET32.DLL and, COUNT times, have the 16-bit
 *                                       side fetch the credentials; exit 0 when every call
 *                                       answered 0 with user name USER
 */
#include <windows.h>

#include "zorn1632.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

typedef DWORD (WINAPI *DomainLogonEntry)(LPSTR userName, LPSTR password, LPSTR domain, DWORD flag);

int Load(const char *name)
{
    HMODULE library = LoadLibraryA(name);
    if (library == nullptr) {
        std::printf("refused %lu\n", GetLastError());
        return 1;
    }
    std::printf("loaded\n");
    return 0;
}

int Dump()
{
    if (LoadLibraryA("ZORNET32.DLL") == nullptr) {
        std::printf("refused %lu\n", GetLastError());
        return 1;
    }
    HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, "ZORNET32SM");
    const BYTE *block = mapping ? static_cast<const BYTE *>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0))
                                : nullptr;
    if (block == nullptr) {
        std::printf("no block\n");
        return 2;
    }
    for (int i = 0; i < 1024; ++i)
        std::printf("%02X", block[i]);
    std::printf("\n");
    return 0;
}

int Logon(const char *user, const char *password, const char *domain)
{
    HMODULE provider = LoadLibraryA("ZORNET32.DLL");
    if (provider == nullptr) {
        std::printf("refused %lu\n", GetLastError());
        return 1;
    }
    auto logon = reinterpret_cast<DomainLogonEntry>(GetProcAddress(provider, MAKEINTRESOURCEA(100)));
    char userBuffer[100], passwordBuffer[64], domainBuffer[64];
    lstrcpynA(userBuffer, user, sizeof(userBuffer));
    lstrcpynA(passwordBuffer, password, sizeof(passwordBuffer));
    lstrcpynA(domainBuffer, domain, sizeof(domainBuffer));
    const DWORD status = logon(userBuffer, passwordBuffer, domainBuffer, 1);
    std::printf("status=%lu user=%s password=%s domain=%s\n", status, userBuffer, passwordBuffer,
                domainBuffer);
    return 0;
}

int CallUp(const char *user, int count)
{
    if (LoadLibraryA("ZORNET32.DLL") == nullptr) {
        std::printf("refused %lu\n", GetLastError());
        return 1;
    }
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
    if (argc == 4 && std::strcmp(argv[1], "callup") == 0)
        return CallUp(argv[2], std::atoi(argv[3]));
    std::printf("usage: load_probe load LIBRARY | dump | logon USER PASSWORD DOMAIN | callup USER COUNT\n");
    return 3;
}
