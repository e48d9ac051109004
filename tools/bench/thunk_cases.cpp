/*
 * TORVEKThunk, one case per opcode, called with the arguments the provider
 * passes; against a direct call of the TORVEK entry that the opcode reaches,
 * taken from the stand-in's thunk block, with the arguments the bridge hands
 * on. Every entry is forced to answer 0 at once, so both sides do the same
 * work in the stand-in whatever the simulated network's state: each call
 * still builds its journal record. The journal keeps its first 128 calls
 * and then drops the rest, so it neither overflows nor slows down; the
 * record's cost is in both sides alike.
 */
#include "bench.h"
#include "client_call.h"
#include "simnet.h"
#include "thunk_data.h"

namespace {


struct ThunkCase {
    ClientDispatcher dispatcher;
    const ThunkData *torvek;
    DWORD            opcode;
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

/* The same entry called directly, as the bridge calls it. */
void CallEntry(void *context)
{
    ThunkCase *c = static_cast<ThunkCase *>(context);
    const FARPROC *entries = c->torvek->entries;
    switch (c->opcode) {
    case ClientLogon:
        reinterpret_cast<LogonCall>(entries[SimLogon])(c->user, c->server, c->domain,
                                                       LOWORD(kClientCallValue));
        break;
    case ClientLogonServerUnavailable:
        reinterpret_cast<NoArgumentsCall>(entries[SimLogonServerUnavailable])();
        break;
    case ClientChangePassword:
        reinterpret_cast<ChangePasswordCall>(entries[SimChangePassword])(
            c->user, c->oldPassword, c->newPassword, c->domain);
        break;
    case ClientGetHomeDirectory:
        reinterpret_cast<BufferCall>(entries[SimGetHomeDirectory])(c->directory);
        break;
    case ClientGetLogonServer:
        reinterpret_cast<BufferCall>(entries[SimGetLogonServer])(c->logonServer);
        break;
    case ClientLogoff:
        reinterpret_cast<NoArgumentsCall>(entries[SimLogoff])();
        break;
    }
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
    HMODULE torvek = GetModuleHandleA("TORVEK.DLL");
    c.torvek = torvek != nullptr
                   ? reinterpret_cast<const ThunkData *>(GetProcAddress(torvek, "zorn3216_ThunkData16"))
                   : nullptr;
    if (c.dispatcher == nullptr || c.torvek == nullptr || c.torvek->entries == nullptr ||
        c.torvek->entryCount < 6) {
        Warn("the bridge or the TORVEK stand-in lacks its entries");
        FreeLibrary(bridge);
        return false;
    }
    lstrcpynA(c.user, "ALICE", sizeof(c.user));
    lstrcpynA(c.server, "\\\\ZORSRV1", sizeof(c.server));
    lstrcpynA(c.domain, "ZORDOM", sizeof(c.domain));
    lstrcpynA(c.oldPassword, "SECRET", sizeof(c.oldPassword));
    lstrcpynA(c.newPassword, "NEWSECRET", sizeof(c.newPassword));

    SimReset();
    for (int entry = SimGetLogonServer; entry <= SimLogon; ++entry)
        SimForce(entry, 0);
    for (const Opcode &opcode : kOpcodes) {
        c.opcode = opcode.opcode;
        report.Timing(Compare(opcode.caseName, CallThunk, CallEntry, &c));
    }
    SimReset();
    FreeLibrary(bridge);
    return true;
}
