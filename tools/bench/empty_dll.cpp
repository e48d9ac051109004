/*
 * BENCHNUL.DLL: a DLL that does nothing, built like the product's DLLs (same
 * toolchain, same static runtime). Loading and releasing it is what any DLL
 * costs; the benchmark sets the provider's attach and detach against it.
 */
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE /*instance*/, DWORD /*reason*/, LPVOID /*reserved*/)
{
    return TRUE;
}
