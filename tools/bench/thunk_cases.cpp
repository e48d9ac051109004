/*
 * TORVEKThunk, one case per opcode, called with the arguments the provider
 * passes; against the bare transition, and (_vs_maps) against what that
 * opcode cannot avoid: the bare transition (TORVEK's
 * seventh target, a 16-bit entry that returns at once, called with no
 * arguments the way ZORN3216 crosses on this platform: WOWCallback16Ex on
 * Wine, the block's QT_Thunk stub elsewhere) and, before it, one bare
 * SMapLS_IP_EBP_n/SUnMapLS_IP_EBP_n pair for each pointer the opcode's call
 * path turns into a far pointer. Every TORVEK entry is made to answer 0 at once
 * in its 16-bit code (its FORCEDANSWERS table), so what is left over is the
 * bridge's own work: the dispatch and the argument image.
 */
#include "bench.h"
#include "client_call.h"
#include "sixteen_bit.h"

extern "C" {
void WINAPI BareMapPairs1(void *) asm("_BareMapPairs1");
void WINAPI BareMapPairs3(void *, void *, void *) asm("_BareMapPairs3");
void WINAPI BareMapPairs4(void *, void *, void *, void *) asm("_BareMapPairs4");
}

namespace {

constexpr DWORD kReturnAtOnceTarget = 6;
constexpr int kClientEntries = 6;

struct ThunkCase {
    ClientDispatcher     dispatcher;
    const FlatThunkLS32 *block;
    DWORD                opcode;
    char             user[100];
    char             server[256];
    char             domain[64];
    char             oldPassword[64];
    char             newPassword[64];
    char             directory[MAX_PATH];
    char             logonServer[20];
};

/* The opcode's arguments, as the provider passes them. */
void CallThunk(void *context)
{
    ThunkCase *c = static_cast<ThunkCase *>(context);
    switch (c->opcode) {
    case ClientLogon:
        c->dispatcher(c->user, c->server, nullptr, c->domain, kClientCallValue, ClientLogon);
        break;
    case ClientLogonServerUnavailable:
        c->dispatcher(nullptr, nullptr, nullptr, nullptr, kClientCallValue, c->opcode);
        break;
    case ClientChangePassword:
        c->dispatcher(c->user, c->oldPassword, c->newPassword, c->domain, kClientCallValue,
                      ClientChangePassword);
        break;
    case ClientGetHomeDirectory:
        c->dispatcher(c->directory, nullptr, nullptr, nullptr, kClientCallValue, c->opcode);
        break;
    case ClientGetLogonServer:
        c->dispatcher(c->logonServer, nullptr, nullptr, nullptr, kClientCallValue, c->opcode);
        break;
    case ClientLogoff:
        c->dispatcher(nullptr, nullptr, nullptr, nullptr, kClientCallValue, c->opcode);
        break;
    }
}

/* The bare transition into 16-bit code and back. */
void CallBare(void *context)
{
    CallTargetBare(static_cast<ThunkCase *>(context)->block, kReturnAtOnceTarget);
}

/* The same, after the far pointers the opcode's call path makes and releases
 * (bridge/client_calls.S). */
void CallBareWithMaps(void *context)
{
    ThunkCase *c = static_cast<ThunkCase *>(context);
    switch (c->opcode) {
    case ClientLogon: /* user name, logon server, domain */
        BareMapPairs3(c->user, c->server, c->domain);
        break;
    case ClientChangePassword: /* user name, old and new password, domain */
        BareMapPairs4(c->user, c->oldPassword, c->newPassword, c->domain);
        break;
    case ClientGetHomeDirectory:
        BareMapPairs1(c->directory);
        break;
    case ClientGetLogonServer:
        BareMapPairs1(c->logonServer);
        break;
    default: /* no pointers */
        break;
    }
    CallTargetBare(c->block, kReturnAtOnceTarget);
}

struct Opcode {
    DWORD       opcode;
    const char *caseName;
};

constexpr Opcode kOpcodes[] = {
    {ClientLogon, "torvekthunk_1_logon"},
    {ClientLogonServerUnavailable, "torvekthunk_2_logon_server_unavailable"},
    {ClientChangePassword, "torvekthunk_3_change_password"},
    {ClientGetHomeDirectory, "torvekthunk_4_get_home_directory"},
    {ClientGetLogonServer, "torvekthunk_5_get_logon_server"},
    {ClientLogoff, "torvekthunk_6_logoff"},
};

} // namespace

bool RunThunkCases(Report &report)
{
    HMODULE bridge = LoadLibraryA("ZORN3216.DLL");
    if (bridge == nullptr) {
        Warn("cannot load ZORN3216.DLL (error %lu)", GetLastError());
        return false;
    }
    ThunkCase c = {};
    c.dispatcher = reinterpret_cast<ClientDispatcher>(GetProcAddress(bridge, "TORVEKThunk"));
    c.block = reinterpret_cast<const FlatThunkLS32 *>(GetProcAddress(bridge, "zorn3216_ThunkData32"));
    WORD *forced = static_cast<WORD *>(SixteenBitExport("TORVEK.DLL", "FORCEDANSWERS"));
    if (c.dispatcher == nullptr || c.block == nullptr || c.block->targetTable == nullptr || forced == nullptr) {
        Warn("the bridge, its connected block or the TORVEK stand-in's forced answers are missing");
        FreeLibrary(bridge);
        return false;
    }
    if (CallTargetBare(c.block, kReturnAtOnceTarget) != 0)
        Warn("the bare transition does not reach TORVEK's return-at-once target");
    lstrcpynA(c.user, "ALICE", sizeof(c.user));
    lstrcpynA(c.server, "\\\\ZORSRV1", sizeof(c.server));
    lstrcpynA(c.domain, "ZORDOM", sizeof(c.domain));
    lstrcpynA(c.oldPassword, "SECRET", sizeof(c.oldPassword));
    lstrcpynA(c.newPassword, "NEWSECRET", sizeof(c.newPassword));

    /* Flags first, answers after them: every entry answers 0 in 16-bit code. */
    for (int entry = 0; entry < kClientEntries; ++entry) {
        forced[kClientEntries + entry] = 0;
        forced[entry] = 1;
    }
    for (const Opcode &opcode : kOpcodes) {
        c.opcode = opcode.opcode;
        report.Timing(Compare(opcode.caseName, CallThunk, CallBare, &c));
        char name[96];
        wsprintfA(name, "%s_vs_maps", opcode.caseName);
        report.Timing(Compare(name, CallThunk, CallBareWithMaps, &c));
    }
    for (int entry = 0; entry < kClientEntries; ++entry)
        forced[entry] = 0;
    FreeLibrary(bridge);
    return true;
}
