/*
 * BENCHSL.DLL: the 32-bit half of the benchmark's bare 16-to-32 connection,
 * built as the product is; its targets touch nothing and answer a value with
 * both halves set, so that the tests can see it reach the 16-bit caller whole.
 */
#include "flat_thunk.h"
#include "platform.h"

namespace {

const char kBlock16Name[] = "bench_ThunkData16";

} // namespace

extern "C" {

extern FlatThunkSL32 bench_ThunkData32;
extern const DWORD bench_targets[];

DWORD WINAPI NothingFromSixteen(const BYTE *frame) asm("_NothingFromSixteen");
DWORD WINAPI NothingFromSixteen(const BYTE * /*frame*/)
{
    return 0x12345678u;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/)
{
    if (reason == DLL_PROCESS_ATTACH)
        SetTargetTableOffset(&bench_ThunkData32, bench_targets, kBlock16Name, RunningOnWine());
    return ThunkConnect32(&bench_ThunkData32, kBlock16Name, "BENCHS16.DLL", "BENCHSL.DLL", instance, reason) != 0;
}

} // extern "C"
