/*
 * TORVEKThunk: turns a numbered client operation into a call of TORVEK's entry
 * at the matching position, through that entry's call path (client_calls.S).
 * Arguments are chosen by position only; nothing is tested by value, so a
 * null pointer in a passed position crosses (as 0:0) like any other. Each
 * path returns the entry's 16-bit result widened with its sign.
 */
#include "bridge.h"

extern "C" DWORD WINAPI TORVEKThunk(LPSTR p1, LPSTR p2, LPSTR p3, LPSTR p4, DWORD p5, DWORD opcode)
{
    switch (opcode) {
    case ClientLogon: /* p3, the password slot, never crosses; only p5's low 16 bits do */
        return CallLogon(p1, p2, p4, p5);
    case ClientLogonServerUnavailable:
        return CallLogonServerUnavailable();
    case ClientChangePassword:
        return CallChangePassword(p1, p2, p3, p4);
    case ClientGetHomeDirectory:
        return CallGetHomeDirectory(p1);
    case ClientGetLogonServer:
        return CallGetLogonServer(p1);
    case ClientLogoff:
        return CallLogoff();
    default: /* calls nothing; never 0 */
        return opcode - 1;
    }
}
