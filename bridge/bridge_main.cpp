/*
 * Module entry points of ZORN3216. Every module notification goes to
 * KERNEL32's ThunkConnect32 with the block of the connection with TORVEK, and
 * DllMain answers what it answers: at process attach it loads TORVEK, checks
 * the 16-bit half and fills in ours, and a refusal keeps the library from
 * loading.
 *
 * The call paths cross through the QT_Thunk stub that the platform writes
 * into the block. Wine's QT_Thunk runs the 16-bit code but loses its result,
 * so on Wine (known by ntdll's wine_get_version; Windows 95 has no ntdll) they
 * cross through WOWCallback16Ex instead, which Wine's wow32.dll exports and
 * Windows 95 does not have: it is found at run time, never imported.
 */
#include "bridge.h"
#include "platform.h"

namespace {

HMODULE wow32 = nullptr;

/* Chooses the transition once the block is connected; false when Wine's
 * WOWCallback16Ex cannot be had (every call would then answer 0, success). */
bool ChooseTransition()
{
    if (!RunningOnWine()) {
        zorn3216_transition = reinterpret_cast<BYTE *>(&zorn3216_ThunkData32) +
                              zorn3216_ThunkData32.offsetQTThunk;
        return true;
    }
    wow32 = LoadLibraryA("WOW32.DLL");
    if (wow32 != nullptr)
        zorn3216_wowcallback16ex = reinterpret_cast<void *>(GetProcAddress(wow32, "WOWCallback16Ex"));
    if (zorn3216_wowcallback16ex == nullptr)
        return false;
    zorn3216_transition = reinterpret_cast<void *>(zorn3216_WineTransition);
    return true;
}

void ReleaseTransition()
{
    zorn3216_transition = nullptr;
    zorn3216_wowcallback16ex = nullptr;
    if (wow32 != nullptr) {
        FreeLibrary(wow32);
        wow32 = nullptr;
    }
}

} // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/)
{
    const UINT connected = ThunkConnect32(&zorn3216_ThunkData32, "zorn3216_ThunkData16", "TORVEK.DLL",
                                          "ZORN3216.DLL", instance, reason);
    if (reason == DLL_PROCESS_ATTACH && connected && !ChooseTransition()) {
        ReleaseTransition();
        return FALSE;
    }
    if (reason == DLL_PROCESS_DETACH)
        ReleaseTransition();
    return connected ? TRUE : FALSE;
}

/* Kept for the 16-bit era's loaders; nothing calls them. */
BOOL WINAPI LibMain(DWORD /*unused*/)
{
    return TRUE;
}

BOOL WINAPI WEP(void)
{
    return TRUE;
}

} // extern "C"
