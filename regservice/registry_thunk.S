/*
 * THK1632_ThunkData32, the 32-bit half of the connection through which
 * QENTHUNK's 16-bit code calls the registry service, with its one target.
 */
#include "sl_target.h"

        .intel_syntax noprefix

        SL_BLOCK32 THK1632_ThunkData32, 0x51E6A0A3, thk1632_targets
        .long _RegistryRequestTarget    /* target 0 */

        .text
        /* RegistryRequest(short op, short item, char FAR *data, short length,
         *                 char FAR *name, char FAR *text): 18 bytes */
        SL_TARGET RegistryRequestTarget, RegistryRequestFromSixteen, 18
