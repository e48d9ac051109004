/*
 * The entry of the registry service and the module's lifecycle: the
 * platform's thunk connection with QENTHUNK, through which the 16-bit side's
 * requests arrive, and ServiceHeap.
 */
#include "flat_thunk.h"
#include "freestanding.h"
#include "platform.h"
#include "regservice.h"

HANDLE ServiceHeap = nullptr;

namespace {

const char kBlock16Name[] = "THK1632_ThunkData16";

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

template <class T> T Argument(const BYTE *arguments, DWORD offset)
{
    T value;
    CopyBytes(&value, arguments + offset, sizeof(value));
    return value;
}

} // namespace

extern "C" {

extern FlatThunkSL32 THK1632_ThunkData32;
extern const DWORD thk1632_targets[];

/* Target 0, as registry_thunk.S calls it with the 16-bit caller's frame. The
 * pascal image, last argument lowest: text, name, length, data, item, op. The
 * three far pointers are made flat for every request, whatever the
 * operation; op, item and length are widened with their sign. */
DWORD WINAPI RegistryRequestFromSixteen(const BYTE *frame) asm("_RegistryRequestFromSixteen");
DWORD WINAPI RegistryRequestFromSixteen(const BYTE *frame)
{
    const BYTE *arguments = frame + kSixteenBitArguments;
    DWORD farPointers[3] = {Argument<DWORD>(arguments, 10), Argument<DWORD>(arguments, 4),
                            Argument<DWORD>(arguments, 0)}; /* data, name, text */
    char *data = static_cast<char *>(MapSLFix(farPointers[0]));
    char *name = static_cast<char *>(MapSLFix(farPointers[1]));
    char *text = static_cast<char *>(MapSLFix(farPointers[2]));
    const LONG result = RegistryRequest(Argument<SHORT>(arguments, 16), Argument<SHORT>(arguments, 14), data,
                                        Argument<SHORT>(arguments, 8), name, text);
    UnMapSLFixArray(3, farPointers);
    return static_cast<DWORD>(result);
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/)
{
    if (reason == DLL_PROCESS_ATTACH)
        SetTargetTableOffset(&THK1632_ThunkData32, thk1632_targets, kBlock16Name, RunningOnWine());
    const UINT connected =
        ThunkConnect32(&THK1632_ThunkData32, kBlock16Name, "QENTHUNK.DLL", "QENREGIO.DLL", instance, reason);
    if (reason == DLL_PROCESS_ATTACH && connected) {
        /* Reads without it answer ERROR_NOT_ENOUGH_MEMORY; they never crash. */
        ServiceHeap = HeapCreate(0, 2048, 16384);
    } else if (reason == DLL_PROCESS_DETACH && ServiceHeap != nullptr) {
        /* Whatever the connection answers at detach, the heap goes. */
        HeapDestroy(ServiceHeap);
        ServiceHeap = nullptr;
    }
    return connected ? TRUE : FALSE;
}

} // extern "C"
