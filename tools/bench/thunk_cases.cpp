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
#include "loaded_library.h"
#include "sixteen_bit.h"

/* map_pairs.S: the far pointers of the first N arguments made and released. */
typedef void(WINAPI *MapPairs)(LPSTR, LPSTR, LPSTR, LPSTR);
extern "C" {
void WINAPI BareMapPairs1(LPSTR, LPSTR, LPSTR, LPSTR) asm("_BareMapPairs1");
void WINAPI BareMapPairs3(LPSTR, LPSTR, LPSTR, LPSTR) asm("_BareMapPairs3");
void WINAPI BareMapPairs4(LPSTR, LPSTR, LPSTR, LPSTR) asm("_BareMapPairs4");
}

namespace {

constexpr DWORD kReturnAtOnceTarget = 6;
constexpr int kClientEntries = 6;

char user[100] = "ALICE", server[256] = "\\\\ZORSRV1", domain[64] = "ZORDOM";
char oldPassword[64] = "SECRET", newPassword[64] = "NEWSECRET", directory[MAX_PATH], logonServer[20];

struct Opcode {
    DWORD       opcode;
    const char *caseName;
    LPSTR       arguments[4]; /* as the provider passes them */
    MapPairs    mapPairs;     /* one pair for each pointer among them */
};

const Opcode kOpcodes[] = {
    {ClientLogon, "torvekthunk_1_logon", {user, server, nullptr, domain}, BareMapPairs3},
    {ClientLogonServerUnavailable, "torvekthunk_2_logon_server_unavailable", {}, nullptr},
    {ClientChangePassword, "torvekthunk_3_change_password", {user, oldPassword, newPassword, domain}, BareMapPairs4},
    {ClientGetHomeDirectory, "torvekthunk_4_get_home_directory", {directory}, BareMapPairs1},
    {ClientGetLogonServer, "torvekthunk_5_get_logon_server", {logonServer}, BareMapPairs1},
    {ClientLogoff, "torvekthunk_6_logoff", {}, nullptr},
};

} // namespace

bool RunThunkCases(Report &report)
{
    LoadedLibrary bridge("ZORN3216.DLL");
    const ClientDispatcher dispatcher = BridgeEntries(bridge).TORVEKThunk;
    const auto *block = bridge.Export<const FlatThunkLS32 *>("zorn3216_ThunkData32");
    WORD *forced = static_cast<WORD *>(SixteenBitExport("TORVEK.DLL", "FORCEDANSWERS"));
    if (!Have(dispatcher != nullptr && block != nullptr && block->targetTable != nullptr && forced != nullptr,
              "the bridge, its connected block or the TORVEK stand-in's forced answers"))
        return false;
    if (CallTargetBare(block, kReturnAtOnceTarget) != 0)
        Warn("the bare transition does not reach TORVEK's return-at-once target");

    /* Flags first, answers after them: every entry answers 0 in 16-bit code. */
    for (int entry = 0; entry < kClientEntries; ++entry) {
        forced[kClientEntries + entry] = 0;
        forced[entry] = 1;
    }
    for (const Opcode &o : kOpcodes) {
        LPSTR pointers[4] = {}; /* the arguments that are pointers */
        int count = 0;
        for (LPSTR argument : o.arguments)
            if (argument != nullptr)
                pointers[count++] = argument;
        const auto call = [&] { dispatcher(o.arguments[0], o.arguments[1], o.arguments[2], o.arguments[3],
                                           kClientCallValue, o.opcode); };
        /* The bare transition into 16-bit code and back, and the same after the
         * far pointers the opcode's call path makes and releases (bridge/client_calls.S). */
        const auto bare = [&] { CallTargetBare(block, kReturnAtOnceTarget); };
        report.Timing(Compare(o.caseName, call, bare));
        report.Timing(Compare((std::string(o.caseName) + "_vs_maps").c_str(), call, [&] {
            if (o.mapPairs != nullptr)
                o.mapPairs(pointers[0], pointers[1], pointers[2], pointers[3]);
            bare();
        }));
    }
    for (int entry = 0; entry < kClientEntries; ++entry)
        forced[entry] = 0;
    return true;
}
