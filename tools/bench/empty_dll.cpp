/*
 * BENCHNU1.DLL to BENCHNU6.DLL: a DLL that does nothing, built as the
 * product's DLLs are (same toolchain, no runtime). Loading and releasing it
 * is what any DLL costs; the benchmark sets the provider's attach and detach
 * against it.
 */
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE /*instance*/, DWORD /*reason*/, LPVOID /*reserved*/)
{
    return TRUE;
}
