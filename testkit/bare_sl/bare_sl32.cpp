/*
 * BARESL32.DLL: the 32-bit half of the bare 16-to-32 connection (BARESL16.DLL),
 * built as the product is; its targets touch nothing and answer a value with
 * both halves set, so that the tests can see it reach the 16-bit caller whole.
 */
#include "flat_thunk.h"
#include "platform.h"

namespace {

const char kBlock16Name[] = "bare_ThunkData16";

} // namespace

extern "C" {

extern FlatThunkSL32 bare_ThunkData32;
extern const DWORD bare_targets[];

DWORD WINAPI NothingFromSixteen(const BYTE *frame) asm("_NothingFromSixteen");
DWORD WINAPI NothingFromSixteen(const BYTE * /*frame*/)
{
    return 0x12345678u;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/)
{
    if (reason == DLL_PROCESS_ATTACH)
        SetTargetTableOffset(&bare_ThunkData32, bare_targets, kBlock16Name, RunningOnWine());
    return ThunkConnect32(&bare_ThunkData32, kBlock16Name, "BARESL16.DLL", "BARESL32.DLL", instance, reason) != 0;
}

} // extern "C"
