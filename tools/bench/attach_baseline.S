/* BENCHATT.DLL's block: the provider's shape (two targets, the connection's
 * checksum), connected with BENCHZ16, the twin of ZORN1632. */
#include "sl_target.h"

        .intel_syntax noprefix
        SL_BLOCK32 benchatt_ThunkData32, 0x5A1632A2, benchatt_targets
        .long _Nothing4Target
        .long _Nothing12Target

        .text
        SL_TARGET Nothing4Target, AttachBaselineNothing, 4
        SL_TARGET Nothing12Target, AttachBaselineNothing, 12
