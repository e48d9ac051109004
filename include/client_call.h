/*
 * The six client operations that leave the provider through the bridge's
 * TORVEKThunk, always as (p1, p2, p3, p4, 80, opcode).
 */
#pragma once

#include <windows.h>

enum ClientCall : DWORD {
    ClientLogon                  = 1, /* (user, logon server, 0, domain) */
    ClientLogonServerUnavailable = 2, /* no arguments */
    ClientChangePassword         = 3, /* (user, old password, new password, domain) */
    ClientGetHomeDirectory       = 4, /* (directory buffer) */
    ClientGetLogonServer         = 5, /* (20-byte server buffer) */
    ClientLogoff                 = 6, /* no arguments */
};

/* The fifth argument every caller passes; only ClientLogon hands it on. */
constexpr DWORD kClientCallValue = 80;

/* TORVEKThunk, ZORN3216's entry: returns the client's 16-bit result,
 * sign-extended. The provider finds it by name at attach. */
extern "C" DWORD WINAPI TORVEKThunk(LPSTR p1, LPSTR p2, LPSTR p3, LPSTR p4, DWORD p5, DWORD opcode);
typedef decltype(&TORVEKThunk) ClientDispatcher;
