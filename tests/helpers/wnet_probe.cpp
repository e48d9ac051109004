/*
 * An ordinary program that uses the network through the platform's router:
 * it asks for the provider of the ZOR network type by name and for a
 * connection, and says whether the provider was loaded into it to answer.
 */
#include <windows.h>
#include <winnetwk.h>

#include <cstdio>

int main()
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
    std::printf("ZORNET32.DLL loaded: %s\n", GetModuleHandleA("ZORNET32.DLL") != nullptr ? "yes" : "no");
    return 0;
}
