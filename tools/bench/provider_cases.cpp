/*
 * The provider's calls that reach the platform on every call:
 *
 * DomainLogon with instant stand-ins (validation and client logon forced to
 * succeed at once) and the wait cursor on, as the logon dialog calls it;
 * against the calls it cannot avoid: the cursor set and restored, the three
 * strings upper-cased, MSNET32.DLL loaded and its entry 58 looked up (done
 * on every call, by contract), the validation entry and the client logon
 * through the bridge's TORVEKThunk. No window is registered, so nothing is
 * posted.
 *
 * NPGetPolicyPath with a configured path; against opening the policy-update
 * key, counting its values, enumerating each and closing it: the walk the
 * provider must make, since it never asks the registry for a value by name.
 */
#include "bench.h"
#include "loaded_library.h"
#include "scratch_key.h"
#include "simnet.h"

#include <cstring>

namespace {

/* MSNET32.DLL's validation, a partner's entry that has no name: ordinal 58,
 * the validating server's name at offset 62 of its result. */
typedef DWORD(WINAPI *ValidateEntry)(LPVOID reserved, LPSTR domain, LPSTR user, LPSTR password, LPSTR empty,
                                     DWORD zero, DWORD one, LPBYTE result, DWORD resultSize, LPWORD extra);
constexpr WORD kValidateOrdinal = 58;
constexpr DWORD kResultServerOffset = 62;

constexpr char kConfiguredPath[] = "\\\\POLSRV\\POLICIES\\ZOR.POL";

/* What DomainLogon cannot avoid: the cursor, the three strings upper-cased,
 * the validation and the client logon. */
void DomainLogonBaseline(LPSTR user, LPSTR password, LPSTR domain, ClientDispatcher clientCall)
{
    HCURSOR previous = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    for (LPSTR text : {user, password, domain})
        CharUpperBuffA(text, lstrlenA(text));
    HMODULE library = LoadLibraryA("MSNET32.DLL");
    auto validate = reinterpret_cast<ValidateEntry>(GetProcAddress(library, MAKEINTRESOURCEA(kValidateOrdinal)));
    if (validate != nullptr) {
        char empty[1] = "";
        WORD extra = 0;
        static BYTE result[256];
        validate(nullptr, domain, user, password, empty, 0, 1, result, sizeof(result), &extra);
        LPSTR server;
        std::memcpy(&server, result + kResultServerOffset, sizeof(server));
        clientCall(user, server, nullptr, domain, kClientCallValue, ClientLogon);
    }
    SetCursor(previous);
}

bool RunDomainLogon(Report &report, const ProviderEntries &provider)
{
    const ClientDispatcher clientCall = BridgeEntries(GetModuleHandleA("ZORN3216.DLL")).TORVEKThunk;
    if (!Have(clientCall != nullptr, "the bridge's TORVEKThunk"))
        return false;
    char user[100] = "ALICE", password[64] = "SECRET", domain[64] = "ZORDOM";
    SimReset();
    SimForce(SimForceValidateReturn, 0);
    SimForce(SimForceValidateStatus, 0);
    SimForce(SimLogon, 0);
    if (provider.DomainLogon(user, password, domain, TRUE) != 0)
        Warn("DomainLogon did not succeed against instant stand-ins");
    report.Timing(Compare("domainlogon_instant", [&] { provider.DomainLogon(user, password, domain, TRUE); },
                          [&] { DomainLogonBaseline(user, password, domain, clientCall); }));
    SimReset();
    return true;
}

bool RunPolicyPath(Report &report, const ProviderEntries &provider)
{
    ScratchKey update;
    if (!update.Prepare(HKEY_LOCAL_MACHINE, kUpdateKey) || !update.SetNumber(kUpdateModeValue, 1) ||
        !update.SetNumber(kUseDefaultLocationValue, 0) || !update.SetText(kNetworkPathValue, kConfiguredPath)) {
        Warn("cannot set up the policy-update key");
        return false;
    }
    char path[512];
    DWORD size = sizeof(path);
    if (provider.NPGetPolicyPath(path, &size, 0) != 0 || lstrcmpA(path, kConfiguredPath) != 0)
        Warn("NPGetPolicyPath did not answer the configured path");
    report.Timing(Compare("npgetpolicypath_configured", [&] {
        size = sizeof(path);
        provider.NPGetPolicyPath(path, &size, 0);
    }, [] { WalkValues(HKEY_LOCAL_MACHINE, kUpdateKey); }));
    return true;
}

} // namespace

bool RunProviderCases(Report &report)
{
    LoadedLibrary library("ZORNET32.DLL");
    const ProviderEntries provider(library);
    return Have(provider.found, "ZORNET32.DLL or one of its entries") && RunDomainLogon(report, provider) &&
           RunPolicyPath(report, provider);
}
