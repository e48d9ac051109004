/*
 * TORVEKThunk: turns a numbered client operation into a call of TORVEK's entry
 * at the matching position. Arguments are chosen by position only; nothing is
 * tested by value, so a null pointer in a passed position crosses like any
 * other. The entries return 16-bit values: only the low half of EAX is theirs,
 * and it is widened here with its sign.
 */
#include "bridge.h"

namespace {

/* TORVEK's entries, by their position in the connection. */
enum ClientEntry : DWORD {
    EntryGetLogonServer         = 0,
    EntryGetHomeDirectory       = 1,
    EntryChangePassword         = 2,
    EntryLogoff                 = 3,
    EntryLogonServerUnavailable = 4,
    EntryLogon                  = 5,
};

/* What a call returns when TORVEK is not connected; a client status of -1. */
constexpr DWORD kNoClient = 0xFFFFFFFFu;

FARPROC Entry(const ThunkData *peer, ClientEntry entry)
{
    return peer->entries[entry];
}

DWORD WidenResult(DWORD eax)
{
    return static_cast<DWORD>(static_cast<LONG>(static_cast<SHORT>(LOWORD(eax))));
}

} // namespace

extern "C" DWORD WINAPI TORVEKThunk(LPSTR p1, LPSTR p2, LPSTR p3, LPSTR p4, DWORD p5, DWORD opcode)
{
    if (opcode < ClientLogon || opcode > ClientLogoff)
        return opcode - 1;

    const ThunkData *peer = zorn3216_ThunkData32.peer;
    if (peer == nullptr)
        return kNoClient;

    DWORD eax = 0;
    switch (opcode) {
    case ClientLogon: /* p3, the password slot, never crosses */
        eax = reinterpret_cast<LogonCall>(Entry(peer, EntryLogon))(p1, p2, p4, LOWORD(p5));
        break;
    case ClientLogonServerUnavailable:
        eax = reinterpret_cast<NoArgumentsCall>(Entry(peer, EntryLogonServerUnavailable))();
        break;
    case ClientChangePassword:
        eax = reinterpret_cast<ChangePasswordCall>(Entry(peer, EntryChangePassword))(p1, p2, p3, p4);
        break;
    case ClientGetHomeDirectory:
        eax = reinterpret_cast<BufferCall>(Entry(peer, EntryGetHomeDirectory))(p1);
        break;
    case ClientGetLogonServer:
        eax = reinterpret_cast<BufferCall>(Entry(peer, EntryGetLogonServer))(p1);
        break;
    case ClientLogoff:
        eax = reinterpret_cast<NoArgumentsCall>(Entry(peer, EntryLogoff))();
        break;
    }
    return WidenResult(eax);
}
