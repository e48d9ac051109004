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

namespace {

HWND listener;
DWORD notifications;
char fetchedUser[100], fetchedPassword[20], fetchedNewPassword[20];

LRESULT CALLBACK ListenerProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == 3000) {
        ++notifications;
        Zorn1632FetchCredentials(fetchedUser, fetchedPassword, fetchedNewPassword);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

extern "C" HWND Zorn1632Listen(void)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = ListenerProcedure;
    windowClass.hInstance = GetModuleHandleA("ZORN1632.DLL");
    windowClass.lpszClassName = "Zorn1632Listener";
    RegisterClassA(&windowClass);
    listener = CreateWindowA("Zorn1632Listener", "16-bit side", WS_OVERLAPPED, 0, 0, 0, 0, nullptr,
                             nullptr, windowClass.hInstance, nullptr);
    notifications = 0;
    fetchedUser[0] = fetchedPassword[0] = fetchedNewPassword[0] = '\0';
    /* A 16-bit window handle: the low word. */
    Zorn1632RegisterWindow(LOWORD(reinterpret_cast<ULONG_PTR>(listener)));
    return listener;
}

extern "C" void Zorn1632StopListening(void)
{
    Zorn1632RegisterWindow(0);
    DestroyWindow(listener);
    listener = nullptr;
}

extern "C" DWORD Zorn1632Notifications(LPSTR userName, LPSTR password, LPSTR newPassword)
{
    if (userName != nullptr)
        lstrcpynA(userName, fetchedUser, sizeof(fetchedUser));
    if (password != nullptr)
        lstrcpynA(password, fetchedPassword, sizeof(fetchedPassword));
    if (newPassword != nullptr)
        lstrcpynA(newPassword, fetchedNewPassword, sizeof(fetchedNewPassword));
    return notifications;
}
