/*
 * The entry of the registry service and the module's lifecycle: the thunk
 * connection with QENTHUNK, through which the 16-bit side's requests arrive,
 * and ServiceHeap.
 */
#include "regservice.h"

HANDLE ServiceHeap = nullptr;

namespace {

LONG Widen(DWORD slot)
{
    return static_cast<SHORT>(LOWORD(slot));
}

/* One request: read, set or delete one item. */
LONG RegistryRequest(LONG op, LONG item, char *data, LONG length, char *name, char *text)
{
    switch (op) {
    case ReadItem:
        return ReadRegistry(item, data, length);
    case SetItem:
    case DeleteItem:
        return WriteRegistry(op, item, data, name, text);
    default:
        return ResultBadRequest;
    }
}

/* Entry 0 of the connection. op, item and length are 16-bit numbers: only the
 * low half of their stack slots is theirs, widened here with its sign. */
DWORD WINAPI RegistryRequestEntry(DWORD op, DWORD item, LPSTR data, DWORD length, LPSTR name, LPSTR text)
{
    return static_cast<DWORD>(RegistryRequest(Widen(op), Widen(item), data, Widen(length), name, text));
}

const FARPROC kEntries[] = {reinterpret_cast<FARPROC>(RegistryRequestEntry)};

} // namespace

extern "C" {

ThunkData THK1632_ThunkData32 = {THUNK_SIGNATURE, 1, kEntries, nullptr};

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/)
{
    if (!ConnectThunk(&THK1632_ThunkData32, "THK1632_ThunkData16", "QENTHUNK.DLL", "QENREGIO.DLL",
                      instance, reason))
        return FALSE;
    if (reason == DLL_PROCESS_ATTACH) {
        /* Reads without it answer ERROR_NOT_ENOUGH_MEMORY; they never crash. */
        ServiceHeap = HeapCreate(0, 2048, 16384);
    } else if (reason == DLL_PROCESS_DETACH && ServiceHeap != nullptr) {
        HeapDestroy(ServiceHeap);
        ServiceHeap = nullptr;
    }
    return TRUE;
}

} // extern "C"
