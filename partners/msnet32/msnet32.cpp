/*
 * Stand-in for the platform's MSNET32.DLL: ordinal 58 validates a user against
 * a domain of the simulated network. It writes the WORD status at offset 0 of
 * the result and, after a successful validation, a pointer to the validating
 * server's name at offset 62 (not aligned, hence memcpy).
 */
#include "simnet.h"

#include <cstring>

namespace {

bool Accepted(DWORD status)
{
    return status == 0 || status == 2200 || status == 2204;
}

DWORD ToArg(const void *pointer)
{
    return static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(pointer));
}

} // namespace

extern "C" DWORD WINAPI Validate(LPVOID reserved, LPSTR domain, LPSTR user, LPSTR password,
                                 LPSTR empty, DWORD zero, DWORD one, LPBYTE result,
                                 DWORD resultSize, LPWORD extra)
{
    SimCall call = {};
    call.source = SimMsnet32;
    call.entry = 58;
    call.argCount = 10;
    const DWORD args[10] = {ToArg(reserved), ToArg(domain), ToArg(user), ToArg(password),
                            ToArg(empty), zero, one, ToArg(result), resultSize, ToArg(extra)};
    std::memcpy(call.args, args, sizeof(args));
    SimSetText(&call, 0, domain);
    SimSetText(&call, 1, user);
    SimSetText(&call, 2, password);
    SimSetText(&call, 3, empty);
    call.waitCursor = GetCursor() == LoadCursorA(nullptr, IDC_WAIT);
    SimRecord(&call);

    LONG forcedReturn = 0, forcedStatus = 0;
    const bool returnForced = SimForced(SimForceValidateReturn, &forcedReturn);
    const bool statusForced = SimForced(SimForceValidateStatus, &forcedStatus);
    DWORD returned = 0;
    WORD status = 0;
    LPCSTR server = nullptr;
    if (returnForced || statusForced) {
        returned = static_cast<DWORD>(forcedReturn);
        status = static_cast<WORD>(forcedStatus);
        server = SimValidatingServer();
    } else {
        returned = SimValidate(domain, user, password, &server);
    }

    if (result != nullptr && resultSize >= 66) {
        std::memcpy(result, &status, sizeof(status));
        if (Accepted(returned) && Accepted(status))
            std::memcpy(result + 62, &server, sizeof(server));
    }
    if (extra != nullptr)
        *extra = 0;
    return returned;
}
