/*
 * An ordinary program that uses the network through the platform's router:
 * it asks for the provider of the ZOR network type by name and for a
 * connection, and says whether the provider was loaded into it to answer.
 * With --logon USER PASSWORD DOMAIN it then logs USER on silently through the
 * provider the router loaded, as the router's logon does, and says where that
 * provider was loaded from. With --after FILE last, it first keeps the
 * provider loaded, as the router of a running machine does, until FILE
 * exists (say, an install ran meanwhile), and logs on only then.
 */
#include <windows.h>
#include <winnetwk.h>

#include <cstdio>
#include <cstring>

#include "router_logon.h"
#include "loaded_library.h"
#include "provider_settings.h"

namespace {

int SilentLogon(HMODULE provider, const char *user, const char *password)
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(provider, path, MAX_PATH);
    std::printf("ZORNET32.DLL loaded from: %s\n", path);

    auto logon = ProviderEntries(provider).NPLogon;
    if (logon == nullptr) {
        std::printf("NPLogon is missing\n");
        return 1;
    }
    LogonBuffers buffers;
    lstrcpynA(buffers.user, user, sizeof(buffers.user));
    lstrcpynA(buffers.password, password, sizeof(buffers.password));
    std::printf("NPLogon: %lu\n", RouterLogon(logon, &buffers, FlagsSilent));
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    constexpr DWORD kZorNetworkType = 0x00100000;
    char name[256] = "";
    DWORD size = sizeof(name);
    const DWORD named = WNetGetProviderNameA(kZorNetworkType, name, &size);
    std::printf("WNetGetProviderNameA: %lu \"%s\"\n", named, named == 0 ? name : "");

    /* The router hands this request to each provider in its order; locals on
     * both sides of the call show that the stack came back whole. */
    volatile DWORD before = 0x5A5A5A5A;
    NETRESOURCEA resource = {};
    resource.dwType = RESOURCETYPE_DISK;
    resource.lpRemoteName = const_cast<LPSTR>("\\\\ZORSRV1\\DOCS");
    const DWORD connected = WNetAddConnection2A(&resource, "secret", "alice", 0);
    volatile DWORD after = 0xA5A5A5A5;
    std::printf("WNetAddConnection2A: %lu\n", connected);
    std::printf("stack intact: %s\n", before == 0x5A5A5A5A && after == 0xA5A5A5A5 ? "yes" : "no");
    HMODULE provider = GetModuleHandleA("ZORNET32.DLL");
    std::printf("ZORNET32.DLL loaded: %s\n", provider != nullptr ? "yes" : "no");

    const bool logon = (argc == 5 || argc == 7) && std::strcmp(argv[1], "--logon") == 0;
    if (!logon || provider == nullptr)
        return 0;
    /* The provider logs on silently with the domain it remembers; remembered
     * before any wait, so that nothing is written to the registry after it. */
    if (RememberDomain(argv[4]) != ERROR_SUCCESS) {
        std::printf("the domain cannot be remembered\n");
        return 1;
    }
    if (argc == 7 && std::strcmp(argv[5], "--after") == 0) {
        std::printf("holding ZORNET32.DLL until %s exists\n", argv[6]);
        std::fflush(stdout);
        for (int waited = 0; GetFileAttributesA(argv[6]) == INVALID_FILE_ATTRIBUTES; waited += 100) {
            if (waited >= 300000) {
                std::printf("%s never came\n", argv[6]);
                return 1;
            }
            Sleep(100);
        }
    }
    return SilentLogon(provider, argv[2], argv[3]);
}
