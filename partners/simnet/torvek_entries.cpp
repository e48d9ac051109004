/*
 * The 32-bit side of the TORVEK stand-in. TORVEK.DLL is a 16-bit NE DLL whose
 * entries do nothing but hand over their entry number and a far pointer to
 * their own arguments, through the platform's generic thunk, to
 * SimTorvekCall. Here each call is recorded in the journal (the far pointers
 * as they arrived, and the memory they reach), answered with a forced result
 * when a test set one, and otherwise passed to the simulation.
 */
#define SIMNET_BUILD
#include "simnet.h"

namespace {

/* What each entry takes, in declaration order: far pointers, then perhaps a
 * WORD (Logon's value). */
struct EntryShape {
    DWORD pointers;
    bool  word;
};
constexpr EntryShape kShapes[] = {
    {1, false}, /* GetLogonServer(char FAR *) */
    {1, false}, /* GetHomeDirectory(char FAR *) */
    {4, false}, /* ChangePassword(user, old, new, domain) */
    {0, false}, /* Logoff(void) */
    {0, false}, /* LogonServerUnavailable(void) */
    {3, true},  /* Logon(user, logon server, domain, WORD value) */
};
constexpr WORD kBadCall = 0xFFFF;

LPSTR Flat(DWORD farPointer)
{
    typedef LPSTR (WINAPI *MapSLProc)(DWORD);
    const MapSLProc mapSL = reinterpret_cast<MapSLProc>(
        GetProcAddress(GetModuleHandleA("KERNEL32.DLL"), "MapSL"));
    return farPointer != 0 && mapSL != nullptr ? mapSL(farPointer) : nullptr;
}

} // namespace

/* entry: the TORVEK entry; arguments: the entry's pascal argument image (the
 * first declared argument at the highest address); argumentBytes: its size.
 * Returns the entry's 16-bit answer in the low word. */
extern "C" SIMNET_API DWORD WINAPI SimTorvekCall(DWORD entry, const BYTE *arguments, DWORD argumentBytes)
{
    if (entry >= sizeof(kShapes) / sizeof(kShapes[0]))
        return kBadCall;
    const EntryShape &shape = kShapes[entry];
    if (argumentBytes != shape.pointers * 4 + (shape.word ? 2 : 0))
        return kBadCall;

    SimCall call = {};
    call.source = SimTorvek;
    call.entry = static_cast<LONG>(entry);
    call.argCount = shape.pointers + (shape.word ? 1 : 0);
    LPSTR flat[4] = {};
    DWORD offset = argumentBytes;
    for (DWORD i = 0; i < shape.pointers; ++i) {
        offset -= 4;
        CopyMemory(&call.farArgs[i], arguments + offset, 4);
        flat[i] = Flat(call.farArgs[i]);
        call.args[i] = static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(flat[i]));
    }
    if (shape.word) {
        WORD value;
        CopyMemory(&value, arguments, 2);
        call.args[shape.pointers] = value;
        call.farArgs[shape.pointers] = value;
    }
    /* The strings behind the arguments, but never an output buffer's old contents. */
    if (entry == SimChangePassword || entry == SimLogon)
        for (DWORD i = 0; i < shape.pointers; ++i)
            SimSetText(&call, static_cast<int>(i), flat[i]);
    SimRecord(&call);

    LONG forced;
    if (SimForced(static_cast<int>(entry), &forced))
        return LOWORD(forced);
    switch (entry) {
    case SimGetLogonServer:   return LOWORD(SimClientLogonServer(flat[0], 20));
    case SimGetHomeDirectory: return LOWORD(SimClientHomeDirectory(flat[0]));
    case SimChangePassword:   return LOWORD(SimClientChangePassword(flat[0], flat[1], flat[2], flat[3]));
    case SimLogoff:           return LOWORD(SimClientLogoff());
    case SimLogon:            return LOWORD(SimClientLogon(flat[0], flat[2]));
    default:                  return 0; /* LogonServerUnavailable */
    }
}
