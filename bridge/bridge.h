#pragma once

#include "client_call.h"
#include "flat_thunk.h"

extern "C" {
/* The 32-bit half of the connection with TORVEK (client_calls.S). */
extern FlatThunkLS32 zorn3216_ThunkData32;
/* Where the call paths cross: the QT stub in the block, or WineTransition. */
extern void *zorn3216_transition;
extern void *zorn3216_wowcallback16ex;
void zorn3216_WineTransition(void);

/* One call path per TORVEK entry (client_calls.S): the pointers cross as far
 * pointers, the result comes back widened with its sign. */
DWORD WINAPI CallGetLogonServer(LPSTR serverBuffer) asm("_CallGetLogonServer");
DWORD WINAPI CallGetHomeDirectory(LPSTR directoryBuffer) asm("_CallGetHomeDirectory");
DWORD WINAPI CallChangePassword(LPSTR user, LPSTR oldPassword, LPSTR newPassword, LPSTR domain)
    asm("_CallChangePassword");
DWORD WINAPI CallLogoff(void) asm("_CallLogoff");
DWORD WINAPI CallLogonServerUnavailable(void) asm("_CallLogonServerUnavailable");
DWORD WINAPI CallLogon(LPSTR user, LPSTR logonServer, LPSTR domain, DWORD value) asm("_CallLogon");

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);
BOOL WINAPI LibMain(DWORD unused);
BOOL WINAPI WEP(void);
}
