/*
 * Stand-in for QENTHUNK. It calls entry 0 of the service's block with the
 * 16-bit numbers in the low halves of their stack slots and noise in the high
 * halves, as a real thunk may leave them. Built once more with a wrong
 * signature for the loading tests (QENTHUNK_SIGNATURE).
 */
#define QENTHUNK_BUILD
#include "qenthunk.h"
#include "thunk_data.h"

#ifndef QENTHUNK_SIGNATURE
#define QENTHUNK_SIGNATURE THUNK_SIGNATURE
#endif

extern "C" {
__declspec(dllexport) ThunkData THK1632_ThunkData16 = {QENTHUNK_SIGNATURE, 0, nullptr, nullptr};
}

namespace {

typedef DWORD (WINAPI *RequestEntry)(DWORD op, DWORD item, LPSTR data, DWORD length, LPSTR name, LPSTR text);

DWORD Slot(SHORT value)
{
    return 0xA5A50000u | static_cast<WORD>(value);
}

} // namespace

extern "C" DWORD QenthunkRequest(SHORT op, SHORT item, LPSTR data, SHORT length, LPSTR name, LPSTR text)
{
    const ThunkData *peer = THK1632_ThunkData16.peer;
    if (peer == nullptr || peer->entries == nullptr || peer->entryCount < 1)
        return QENTHUNK_NO_PEER;
    auto entry = reinterpret_cast<RequestEntry>(peer->entries[0]);
    return entry(Slot(op), Slot(item), data, Slot(length), name, text);
}
