/* BARESL32.DLL's block: two targets that do nothing but what every SL target does. */
#include "sl_target.h"

        .intel_syntax noprefix
        SL_BLOCK32 bare_ThunkData32, 0x42454E43, bare_targets
        .long _Nothing12Target
        .long _Nothing18Target

        .text
        SL_TARGET Nothing12Target, NothingFromSixteen, 12
        SL_TARGET Nothing18Target, NothingFromSixteen, 18
