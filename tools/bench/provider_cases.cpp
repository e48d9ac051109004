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
#include "client_call.h"
#include "loaded_library.h"
#include "scratch_key.h"
#include "simnet.h"

#include <cstring>

namespace {

typedef DWORD (WINAPI *ValidateEntry)(LPVOID reserved, LPSTR domain, LPSTR user, LPSTR password,
                                      LPSTR empty, DWORD zero, DWORD one, LPBYTE result,
                                      DWORD resultSize, LPWORD extra);

constexpr char  kConfiguredPath[] = "\\\\POLSRV\\POLICIES\\ZOR.POL";
constexpr DWORD kResultServerOffset = 62;

struct LogonCase {
    decltype(&DomainLogon) domainLogon;
    ClientDispatcher clientCall;
    char             user[100];
    char             password[64];
    char             domain[64];
    BYTE             result[256];
};

void CallDomainLogon(void *context)
{
    LogonCase *c = static_cast<LogonCase *>(context);
    c->domainLogon(c->user, c->password, c->domain, TRUE);
}

void UpperCase(LPSTR text)
{
    CharUpperBuffA(text, lstrlenA(text));
}

void CallDomainLogonBaseline(void *context)
{
    LogonCase *c = static_cast<LogonCase *>(context);
    HCURSOR previous = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    UpperCase(c->user);
    UpperCase(c->password);
    UpperCase(c->domain);
    HMODULE library = LoadLibraryA("MSNET32.DLL");
    auto validate = reinterpret_cast<ValidateEntry>(
        GetProcAddress(library, MAKEINTRESOURCEA(58)));
    if (validate != nullptr) {
        char empty[1] = "";
        WORD extra = 0;
        validate(nullptr, c->domain, c->user, c->password, empty, 0, 1, c->result,
                 sizeof(c->result), &extra);
        LPSTR server;
        std::memcpy(&server, c->result + kResultServerOffset, sizeof(server));
        c->clientCall(c->user, server, nullptr, c->domain, kClientCallValue, ClientLogon);
    }
    SetCursor(previous);
}

struct PolicyCase {
    decltype(&NPGetPolicyPath) policyPath;
    char            path[512];
};

void CallPolicyPath(void *context)
{
    PolicyCase *c = static_cast<PolicyCase *>(context);
    DWORD size = sizeof(c->path);
    c->policyPath(c->path, &size, 0);
}

void CallPolicyPathBaseline(void * /*context*/)
{
    WalkValues(HKEY_LOCAL_MACHINE, kUpdateKey);
}

bool RunDomainLogon(Report &report, HMODULE provider)
{
    LogonCase c = {};
    c.domainLogon = ProviderEntries(provider).DomainLogon;
    HMODULE bridge = GetModuleHandleA("ZORN3216.DLL");
    c.clientCall = bridge != nullptr
        ? reinterpret_cast<ClientDispatcher>(GetProcAddress(bridge, "TORVEKThunk"))
        : nullptr;
    if (c.domainLogon == nullptr || c.clientCall == nullptr) {
        Warn("DomainLogon or the bridge's TORVEKThunk is missing");
        return false;
    }
    lstrcpynA(c.user, "ALICE", sizeof(c.user));
    lstrcpynA(c.password, "SECRET", sizeof(c.password));
    lstrcpynA(c.domain, "ZORDOM", sizeof(c.domain));

    SimReset();
    SimForce(SimForceValidateReturn, 0);
    SimForce(SimForceValidateStatus, 0);
    SimForce(SimLogon, 0);
    if (c.domainLogon(c.user, c.password, c.domain, TRUE) != 0)
        Warn("DomainLogon did not succeed against instant stand-ins");
    report.Timing(Compare("domainlogon_instant", CallDomainLogon, CallDomainLogonBaseline, &c));
    SimReset();
    return true;
}

bool RunPolicyPath(Report &report, HMODULE provider)
{
    PolicyCase c = {};
    c.policyPath = ProviderEntries(provider).NPGetPolicyPath;
    if (c.policyPath == nullptr) {
        Warn("NPGetPolicyPath is missing");
        return false;
    }
    ScratchKey update;
    if (!update.Prepare(HKEY_LOCAL_MACHINE, kUpdateKey) || !update.SetNumber("UpdateMode", 1) ||
        !update.SetNumber("UseDefaultNetLocation", 0) || !update.SetText("NetworkPath", kConfiguredPath)) {
        Warn("cannot set up the policy-update key");
        return false;
    }
    DWORD size = sizeof(c.path);
    if (c.policyPath(c.path, &size, 0) != 0 || lstrcmpA(c.path, kConfiguredPath) != 0)
        Warn("NPGetPolicyPath did not answer the configured path");
    report.Timing(Compare("npgetpolicypath_configured", CallPolicyPath, CallPolicyPathBaseline, &c));
    update.Restore();
    return true;
}

} // namespace

bool RunProviderCases(Report &report)
{
    HMODULE provider = LoadLibraryA("ZORNET32.DLL");
    if (provider == nullptr) {
        Warn("cannot load ZORNET32.DLL (error %lu)", GetLastError());
        return false;
    }
    const bool complete = RunDomainLogon(report, provider) && RunPolicyPath(report, provider);
    FreeLibrary(provider);
    return complete;
}
