/*
 * BENCHATT.DLL: the platform calls of the provider's process attach and
 * detach, and nothing else, built as the product is (no runtime): a private
 * heap of the same sizes; ThunkConnect32 of an SL block of the provider's
 * shape with BENCHZ16, the twin of ZORN1632 (the same 16-bit code under other
 * names, so that the provider's own connection is not taken over); a named
 * block of the shared record's size created, mapped and (by its creator)
 * cleared; a named mutex; LoadLibraryA of the bridge, which makes its own
 * connection with TORVEK the first time, and GetProcAddress of TORVEKThunk.
 * Detach gives back the same as the provider's: the connection (reason 0),
 * the heap, the view, the mapping and the mutex; the bridge stays loaded.
 */
#include "flat_thunk.h"
#include "platform.h"
#include "shared_logon_record.h"

namespace {

const char kBlock16Name[] = "benchz16_ThunkData16";

HANDLE heap, mapping, lock;
void *view;

} // namespace

extern "C" {

extern FlatThunkSL32 benchatt_ThunkData32;
extern const DWORD benchatt_targets[];

DWORD WINAPI AttachBaselineNothing(const BYTE *frame) asm("_AttachBaselineNothing");
DWORD WINAPI AttachBaselineNothing(const BYTE * /*frame*/)
{
    return 0;
}

UINT Connect(HINSTANCE instance, DWORD reason)
{
    return ThunkConnect32(&benchatt_ThunkData32, kBlock16Name, "BENCHZ16.DLL", "BENCHATT.DLL", instance, reason);
}

/* Gives back what attach obtained; safe on a partial attach, as the
 * provider's. The bridge stays loaded once TORVEKThunk was found. */
void Release(HINSTANCE instance)
{
    Connect(instance, DLL_PROCESS_DETACH);
    if (heap != nullptr)
        HeapDestroy(heap);
    if (view != nullptr)
        UnmapViewOfFile(view);
    if (mapping != nullptr)
        CloseHandle(mapping);
    if (lock != nullptr)
        CloseHandle(lock);
    heap = mapping = lock = view = nullptr;
}

BOOL Attach(HINSTANCE instance)
{
    heap = HeapCreate(0, 2048, 16384);
    SetTargetTableOffset(&benchatt_ThunkData32, benchatt_targets, kBlock16Name, RunningOnWine());
    if (!Connect(instance, DLL_PROCESS_ATTACH))
        return FALSE;
    mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kSharedRecordSize, "BENCHATTSM");
    const bool created = mapping != nullptr && GetLastError() != ERROR_ALREADY_EXISTS;
    view = mapping != nullptr ? MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0) : nullptr;
    if (view == nullptr)
        return FALSE;
    lock = CreateMutexA(nullptr, FALSE, "BENCHATTSM.FIELDS");
    if (created)
        ZeroMemory(view, kSharedRecordSize);
    HMODULE bridge = LoadLibraryA("ZORN3216.DLL");
    if (bridge != nullptr && GetProcAddress(bridge, "TORVEKThunk") != nullptr)
        return TRUE;
    if (bridge != nullptr)
        FreeLibrary(bridge);
    return FALSE;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/)
{
    if (reason == DLL_PROCESS_ATTACH && !Attach(instance)) {
        Release(instance);
        return FALSE;
    }
    if (reason == DLL_PROCESS_DETACH)
        Release(instance);
    return TRUE;
}

} // extern "C"
