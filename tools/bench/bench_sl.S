/* BENCHSL.DLL's block: two targets that do nothing but what every SL target does. */
#include "sl_target.h"

        .intel_syntax noprefix
        .data
        .globl _bench_ThunkData32
        .p2align 2
_bench_ThunkData32:
        .ascii "SL01"
        .long 0x42454E43
        .long 0, 0, 0, 0, 0, 0
        .long _bench_targets - _bench_ThunkData32
        .globl _bench_targets
_bench_targets:
        .long _Nothing12Target
        .long _Nothing18Target

        .text
        SL_TARGET Nothing12Target, NothingFromSixteen, 12
        SL_TARGET Nothing18Target, NothingFromSixteen, 18
