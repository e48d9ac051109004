/*
 * Thunk data blocks: the two halves of a connection between our 32-bit code and
 * a partner library. The half that is called through lists its entries; the
 * half that calls lists none and calls peer->entries[n] once it has checked
 * that peer is set. Connecting writes into both halves, so both are writable
 * exported data.
 */
#pragma once

#include <windows.h>

#define THUNK_SIGNATURE 0x4B48545Au /* the bytes "ZTHK" */

typedef struct ThunkData {
    DWORD             signature;  /* THUNK_SIGNATURE */
    DWORD             entryCount; /* number of entries this half lists */
    const FARPROC    *entries;    /* this half's entries, in connection order; NULL when it lists none */
    struct ThunkData *peer;       /* the other half; NULL until connected */
} ThunkData;

#ifdef __cplusplus
extern "C" {
#endif

/*
 * Stands in for the platform's ThunkConnect32, with its argument list.
 * Process attach (1) loads the peer library, finds its block and links the two
 * halves; process detach (0) unlinks them and leaves the peer library loaded;
 * thread attach and detach (2, 3) report whether the halves are linked.
 * Returns nonzero for success.
 */
BOOL WINAPI ConnectThunk(ThunkData *self, LPCSTR peerBlockName, LPCSTR peerLibrary,
                         LPCSTR selfLibrary, HINSTANCE instance, DWORD reason);

#ifdef __cplusplus
}
#endif
