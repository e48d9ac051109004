/*
 * Stand-in for TORVEK, the 16-bit network client: the six client entries,
 * listed in the thunk block zorn3216_ThunkData16 that ZORN3216 connects with.
 * Each entry records its call in the simulated network's journal, answers with
 * a forced result when a test set one, and otherwise asks the simulation.
 *
 * The entries return SHORT. After a SHORT entry the high half of EAX is
 * undefined, so these fill it with noise: a caller that trusts it is caught.
 * Built twice more for the loading tests, with a wrong signature and with one
 * entry too few (TORVEK_SIGNATURE, TORVEK_ENTRY_COUNT).
 */
#include "simnet.h"
#include "thunk_data.h"

#ifndef TORVEK_SIGNATURE
#define TORVEK_SIGNATURE THUNK_SIGNATURE
#endif
#ifndef TORVEK_ENTRY_COUNT
#define TORVEK_ENTRY_COUNT 6
#endif

namespace {

constexpr DWORD kHighNoise = 0x5A5A0000u;

DWORD Answer(DWORD status)
{
    return kHighNoise | LOWORD(status);
}

/* Records the call; returns true with *status set when the result is forced. */
bool Arrive(SimClientEntry entry, DWORD argCount, const DWORD *args, const LPCSTR *strings,
            DWORD stringCount, LONG *status)
{
    SimCall call = {};
    call.source = SimTorvek;
    call.entry = entry;
    call.argCount = argCount;
    for (DWORD i = 0; i < argCount; ++i)
        call.args[i] = args[i];
    for (DWORD i = 0; i < stringCount; ++i)
        SimSetText(&call, i, strings[i]);
    SimRecord(&call);
    return SimForced(entry, status);
}

DWORD ToArg(LPCSTR pointer)
{
    return static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(pointer));
}

DWORD WINAPI GetLogonServer(LPSTR serverBuffer)
{
    const DWORD args[] = {ToArg(serverBuffer)};
    LONG forced;
    if (Arrive(SimGetLogonServer, 1, args, nullptr, 0, &forced))
        return Answer(forced);
    return Answer(SimClientLogonServer(serverBuffer, 20));
}

DWORD WINAPI GetHomeDirectory(LPSTR directoryBuffer)
{
    const DWORD args[] = {ToArg(directoryBuffer)};
    LONG forced;
    if (Arrive(SimGetHomeDirectory, 1, args, nullptr, 0, &forced))
        return Answer(forced);
    return Answer(SimClientHomeDirectory(directoryBuffer));
}

DWORD WINAPI ChangePassword(LPSTR user, LPSTR oldPassword, LPSTR newPassword, LPSTR domain)
{
    const DWORD args[] = {ToArg(user), ToArg(oldPassword), ToArg(newPassword), ToArg(domain)};
    const LPCSTR strings[] = {user, oldPassword, newPassword, domain};
    LONG forced;
    if (Arrive(SimChangePassword, 4, args, strings, 4, &forced))
        return Answer(forced);
    return Answer(SimClientChangePassword(user, oldPassword, newPassword, domain));
}

DWORD WINAPI Logoff(void)
{
    LONG forced;
    if (Arrive(SimLogoff, 0, nullptr, nullptr, 0, &forced))
        return Answer(forced);
    return Answer(SimClientLogoff());
}

DWORD WINAPI LogonServerUnavailable(void)
{
    LONG forced;
    if (Arrive(SimLogonServerUnavailable, 0, nullptr, nullptr, 0, &forced))
        return Answer(forced);
    return Answer(0);
}

/* The fourth argument is a WORD: only the low half of its stack slot is ours. */
DWORD WINAPI Logon(LPSTR user, LPSTR logonServer, LPSTR domain, DWORD valueSlot)
{
    const DWORD args[] = {ToArg(user), ToArg(logonServer), ToArg(domain), LOWORD(valueSlot)};
    const LPCSTR strings[] = {user, logonServer, domain};
    LONG forced;
    if (Arrive(SimLogon, 4, args, strings, 3, &forced))
        return Answer(forced);
    return Answer(SimClientLogon(user, domain));
}

const FARPROC kEntries[] = {
    reinterpret_cast<FARPROC>(GetLogonServer),
    reinterpret_cast<FARPROC>(GetHomeDirectory),
    reinterpret_cast<FARPROC>(ChangePassword),
    reinterpret_cast<FARPROC>(Logoff),
    reinterpret_cast<FARPROC>(LogonServerUnavailable),
    reinterpret_cast<FARPROC>(Logon),
};

} // namespace

extern "C" {
__declspec(dllexport) ThunkData zorn3216_ThunkData16 = {
    TORVEK_SIGNATURE, TORVEK_ENTRY_COUNT, kEntries, nullptr};
}
