#include "sixteen_bit.h"

namespace {

HMODULE Kernel32()
{
    return GetModuleHandleA("KERNEL32.DLL");
}

} // namespace

bool RunningOnWine()
{
    HMODULE ntdll = GetModuleHandleA("NTDLL.DLL");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

DWORD CallTargetBare(const FlatThunkLS32 *block, DWORD target)
{
    static const bool wine = RunningOnWine();
    if (!wine)
        return CallThroughQtStub(reinterpret_cast<BYTE *>(const_cast<FlatThunkLS32 *>(block)) +
                                     block->offsetQTThunk,
                                 target);
    typedef BOOL (WINAPI *Callback16Ex)(DWORD, DWORD, DWORD, void *, DWORD *);
    static Callback16Ex callback = reinterpret_cast<Callback16Ex>(
        GetProcAddress(LoadLibraryA("WOW32.DLL"), "WOWCallback16Ex"));
    DWORD result = 0;
    if (callback == nullptr || !callback(block->targetTable[target], 0 /* WCB16_PASCAL */, 0, nullptr, &result))
        return 0xFFFFFFFFu;
    return static_cast<DWORD>(static_cast<LONG>(static_cast<SHORT>(LOWORD(result))));
}

typedef HINSTANCE (WINAPI *LoadLibrary16Proc)(LPCSTR);

bool StartSixteenBitSubsystem()
{
    auto loadLibrary16 = reinterpret_cast<LoadLibrary16Proc>(GetProcAddress(Kernel32(), MAKEINTRESOURCEA(35)));
    return loadLibrary16 != nullptr && reinterpret_cast<ULONG_PTR>(loadLibrary16("GDI.EXE")) > 32 &&
           reinterpret_cast<ULONG_PTR>(loadLibrary16("USER.EXE")) > 32;
}

void *SixteenBitExport(const char *library, const char *name)
{
    typedef DWORD (WINAPI *GetProcAddress16Proc)(HINSTANCE, LPCSTR);
    typedef void *(WINAPI *MapSLProc)(DWORD);
    auto loadLibrary16 = reinterpret_cast<LoadLibrary16Proc>(GetProcAddress(Kernel32(), MAKEINTRESOURCEA(35)));
    auto getProcAddress16 =
        reinterpret_cast<GetProcAddress16Proc>(GetProcAddress(Kernel32(), MAKEINTRESOURCEA(37)));
    auto mapSL = reinterpret_cast<MapSLProc>(GetProcAddress(Kernel32(), "MapSL"));
    if (loadLibrary16 == nullptr || getProcAddress16 == nullptr || mapSL == nullptr)
        return nullptr;
    HINSTANCE module = loadLibrary16(library);
    if (reinterpret_cast<ULONG_PTR>(module) <= 32)
        return nullptr;
    const DWORD address = getProcAddress16(module, name);
    return address != 0 ? mapSL(address) : nullptr;
}
