/*
 * Stand-in for ZORN1632. Its thunk block lists no entries: it calls the
 * provider's, after checking that the provider is connected. Built once more
 * with a wrong signature for the loading tests (ZORN1632_SIGNATURE).
 */
#define ZORN1632_BUILD
#include "zorn1632.h"
#include "thunk_data.h"

#ifndef ZORN1632_SIGNATURE
#define ZORN1632_SIGNATURE THUNK_SIGNATURE
#endif

extern "C" {
__declspec(dllexport) ThunkData zorn1632_ThunkData16 = {ZORN1632_SIGNATURE, 0, nullptr,
                                                                  nullptr};
}

namespace {

typedef DWORD (WINAPI *RegisterEntry)(DWORD value);
typedef DWORD (WINAPI *CredentialsEntry)(LPSTR userName, LPSTR password, LPSTR newPassword);

FARPROC ProviderEntry(DWORD n)
{
    const ThunkData *peer = zorn1632_ThunkData16.peer;
    if (peer == nullptr || peer->entries == nullptr || n >= peer->entryCount)
        return nullptr;
    return peer->entries[n];
}

} // namespace

extern "C" DWORD Zorn1632RegisterWindow(DWORD window)
{
    auto entry = reinterpret_cast<RegisterEntry>(ProviderEntry(0));
    return entry != nullptr ? entry(window) : ZORN1632_NO_PEER;
}

extern "C" DWORD Zorn1632FetchCredentials(LPSTR userName, LPSTR password, LPSTR newPassword)
{
    auto entry = reinterpret_cast<CredentialsEntry>(ProviderEntry(1));
    return entry != nullptr ? entry(userName, password, newPassword) : ZORN1632_NO_PEER;
}
