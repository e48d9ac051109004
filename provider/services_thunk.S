/*
 * zorn1632_ThunkData32, the 32-bit half of the connection through which
 * ZORN1632's 16-bit code calls the provider's two services, with its targets.
 */
#include "sl_target.h"

        .intel_syntax noprefix

        SL_BLOCK32 zorn1632_ThunkData32, 0x5A1632A2, zorn1632_targets
        .long _MirevolaTarget           /* target 0 */
        .long _CredentialsTarget        /* target 1 */

        .text
        /* QENMirevola(DWORD value): 4 bytes */
        SL_TARGET MirevolaTarget, MirevolaFromSixteen, 4
        /* QENGetUseridPassword(char FAR *, char FAR *, char FAR *): 12 bytes */
        SL_TARGET CredentialsTarget, CredentialsFromSixteen, 12
