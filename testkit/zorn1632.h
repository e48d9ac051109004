/*
 * The 32-bit half of the stand-in for ZORN1632, the 16-bit side's partner
 * library: it calls the routines of the 16-bit ZORN1632.DLL (REGISTERWINDOW,
 * FETCHCREDENTIALS, FETCHINTO), which call the provider's two services up
 * through the platform's 16-to-32 thunk, and it keeps the 16-bit side's
 * window, which fetches the credentials each time message 3000 arrives.
 */
#pragma once

#include "sixteen_bit.h"

/* What a call answers when the 16-bit side cannot be reached. */
#define ZORN1632_NO_PEER kNoSixteenBitSide

/* Entry 0: registers the 16-bit side's window (its low 16 bits) with the provider. */
DWORD Zorn1632RegisterWindow(DWORD window);
/* Entry 1: fetches the user name, password and new password of the last logon
 * into ZORN1632's own 16-bit buffers (100, 20 and 20 bytes), and copies them
 * out to these, which must be as large. */
DWORD Zorn1632FetchCredentials(LPSTR userName, LPSTR password, LPSTR newPassword);
/* Entry 1 with the caller's buffers, each crossing as a far pointer (null as 0:0). */
DWORD Zorn1632FetchInto(LPSTR userName, LPSTR password, LPSTR newPassword);

/*
 * What the 16-bit side does: a window of its own, registered with the
 * provider, that fetches the credentials each time message 3000 arrives.
 * Zorn1632Listen creates and registers it on the calling thread (whose
 * messages must be dispatched); Zorn1632StopListening unregisters and
 * destroys it.
 */
HWND Zorn1632Listen(void);
void Zorn1632StopListening(void);
/* How many notifications arrived, and the credentials the last one fetched. */
DWORD Zorn1632Notifications(LPSTR userName, LPSTR password, LPSTR newPassword);
