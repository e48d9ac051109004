/*
 * Module entry points of ZORN3216. Every module notification goes to the thunk
 * connection with TORVEK: process attach connects (and the library refuses to
 * load when that fails), process detach disconnects.
 */
#include "bridge.h"

extern "C" {

ThunkData zorn3216_ThunkData32 = {THUNK_SIGNATURE, 0, nullptr, nullptr};

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/)
{
    return ConnectThunk(&zorn3216_ThunkData32, "zorn3216_ThunkData16", "TORVEK.DLL",
                        "ZORN3216.DLL", instance, reason)
               ? TRUE
               : FALSE;
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
