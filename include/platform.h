/*
 * Which platform the DLLs run on. Windows 95 has no NTDLL; Wine's exports
 * wine_get_version. Where Wine's thunk services differ from Windows 95's, the
 * DLLs ask this once, at attach.
 */
#pragma once

#include <windows.h>

inline bool RunningOnWine()
{
    HMODULE ntdll = GetModuleHandleA("NTDLL.DLL");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}
