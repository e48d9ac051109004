#include "sixteen_bit.h"

#include <initializer_list>


namespace {

typedef HINSTANCE (WINAPI *LoadLibrary16Proc)(LPCSTR);
typedef DWORD (WINAPI *GetProcAddress16Proc)(HINSTANCE, LPCSTR);
typedef BOOL (WINAPI *Callback16ExProc)(DWORD, DWORD, DWORD, const void *, DWORD *);
typedef DWORD (WINAPI *MapLSProc)(const void *);
typedef void (WINAPI *UnMapLSProc)(DWORD);
typedef void *(WINAPI *MapSLProc)(DWORD);

template <class T> T Kernel32Export(const char *name)
{
    return reinterpret_cast<T>(GetProcAddress(GetModuleHandleA("KERNEL32.DLL"), name));
}

} // namespace

DWORD FindSixteenBitRoutine(const char *library, const char *routine)
{
    auto loadLibrary16 = Kernel32Export<LoadLibrary16Proc>(MAKEINTRESOURCEA(35));
    auto getProcAddress16 = Kernel32Export<GetProcAddress16Proc>(MAKEINTRESOURCEA(37));
    if (loadLibrary16 == nullptr || getProcAddress16 == nullptr)
        return 0;
    HINSTANCE module = loadLibrary16(library);
    return reinterpret_cast<ULONG_PTR>(module) > 32 ? getProcAddress16(module, routine) : 0;
}

bool CallSixteenBitAt(DWORD address, const void *image, DWORD bytes, DWORD *result)
{
    static const Callback16ExProc callback =
        reinterpret_cast<Callback16ExProc>(GetProcAddress(LoadLibraryA("WOW32.DLL"), "WOWCallback16Ex"));
    return callback != nullptr && address != 0 && callback(address, 0 /* WCB16_PASCAL */, bytes, image, result);
}

DWORD CallTargetBare(const FlatThunkLS32 *block, DWORD target)
{
    static const bool wine = RunningOnWine();
    if (!wine)
        return CallThroughQtStub(reinterpret_cast<BYTE *>(const_cast<FlatThunkLS32 *>(block)) +
                                     block->offsetQTThunk,
                                 target);
    DWORD result = 0;
    if (!CallSixteenBitAt(block->targetTable[target], nullptr, 0, &result))
        return kNoSixteenBitSide;
    return static_cast<DWORD>(static_cast<LONG>(static_cast<SHORT>(LOWORD(result))));
}

DWORD FarPointerTo(void *flat)
{
    static const MapLSProc mapLS = Kernel32Export<MapLSProc>("MapLS");
    return flat != nullptr && mapLS != nullptr ? mapLS(flat) : 0;
}

void ReleaseFarPointer(DWORD farPointer)
{
    static const UnMapLSProc unMapLS = Kernel32Export<UnMapLSProc>("UnMapLS");
    if (farPointer != 0 && unMapLS != nullptr)
        unMapLS(farPointer);
}

bool CallSixteenBitRoutine(const char *library, const char *routine, const void *image, DWORD bytes,
                           DWORD *result)
{
    return CallSixteenBitAt(FindSixteenBitRoutine(library, routine), image, bytes, result);
}

DWORD QenthunkRequest(SHORT op, SHORT item, LPSTR data, SHORT length, LPSTR name, LPSTR text)
{
    const DWORD farData = FarPointerTo(data);
    const DWORD farName = FarPointerTo(name);
    const DWORD farText = FarPointerTo(text);
#pragma pack(push, 1)
    struct {
        DWORD text, name;
        SHORT length;
        DWORD data;
        SHORT item, op;
    } image = {farText, farName, length, farData, item, op};
#pragma pack(pop)
    static_assert(sizeof(image) == 18, "RegistryRequest takes 18 bytes");
    DWORD result = kNoSixteenBitSide;
    if (!CallSixteenBitRoutine("QENTHUNK.DLL", "REQUEST", &image, sizeof(image), &result))
        result = kNoSixteenBitSide;
    for (DWORD farPointer : {farData, farName, farText})
        ReleaseFarPointer(farPointer);
    return result;
}

bool StartSixteenBitSubsystem()
{
    auto loadLibrary16 = Kernel32Export<LoadLibrary16Proc>(MAKEINTRESOURCEA(35));
    return loadLibrary16 != nullptr && reinterpret_cast<ULONG_PTR>(loadLibrary16("GDI.EXE")) > 32 &&
           reinterpret_cast<ULONG_PTR>(loadLibrary16("USER.EXE")) > 32;
}

void *SixteenBitExport(const char *library, const char *name)
{
    auto mapSL = Kernel32Export<MapSLProc>("MapSL");
    const DWORD address = FindSixteenBitRoutine(library, name);
    return address != 0 && mapSL != nullptr ? mapSL(address) : nullptr;
}
