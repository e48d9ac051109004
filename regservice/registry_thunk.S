/*
 * THK1632_ThunkData32, the 32-bit half of the connection through which
 * QENTHUNK's 16-bit code calls the registry service, with its one target.
 */
#include "sl_target.h"

        .intel_syntax noprefix

        .data
        .globl _THK1632_ThunkData32
        .p2align 2
_THK1632_ThunkData32:
        .ascii "SL01"
        .long 0x51E6A0A3                /* the registry connection's checksum */
        .long 0                         /* reserved */
        .long 0                         /* filled at connection */
        .long 0                         /* late binding */
        .long 0                         /* flags */
        .long 0, 0                      /* reserved */
        .long _thk1632_targets - _THK1632_ThunkData32  /* set again at attach on Wine */
        .globl _thk1632_targets
_thk1632_targets:
        .long _RegistryRequestTarget    /* target 0 */

        .text
        /* RegistryRequest(short op, short item, char FAR *data, short length,
         *                 char FAR *name, char FAR *text): 18 bytes */
        SL_TARGET RegistryRequestTarget, RegistryRequestFromSixteen, 18
