/*
 * The 16-bit side's calls up, through the platform's 16-to-32 thunk, from a
 * 16-bit routine of the stand-in: QENGetUseridPassword (ZORN1632's FETCHINTO,
 * three far pointers) and RegistryRequest item 7 (QENTHUNK's REQUEST, with no
 * connection stored, and with an operation it refuses at once); against the
 * bare call up, a routine of the same shape whose 32-bit target does nothing
 * (BARESL16.DLL, BARESL32.DLL). For QENGetUseridPassword a third line sets the
 * transition's own share, the call up less the service called directly,
 * against the bare call. Item 7 is also set against what it cannot avoid: the
 * bare call up followed by the same registry walk (an attempt to open each of
 * the 35 connection keys, A to Z and LPT1 to LPT9, none of which is there).
 */
#include "bench.h"
#include "loaded_library.h"
#include "sixteen_bit.h"

#include <cstring>
#include <initializer_list>

namespace {


struct CallUpCase {
    DWORD            routine;      /* the stand-in's routine */
    DWORD            bare;         /* the same shape, doing nothing */
    BYTE             image[18];    /* the argument image, far pointers made once */
    DWORD            bytes;
    decltype(&QENGetUseridPassword) credentials;
    char             userName[100], password[20], newPassword[20];
    char             data[2048];
    char             connectionKeys[35][32];
};

void CallRoutine(void *context)
{
    CallUpCase *c = static_cast<CallUpCase *>(context);
    DWORD result;
    CallSixteenBitAt(c->routine, c->image, c->bytes, &result);
}

void CallBare(void *context)
{
    CallUpCase *c = static_cast<CallUpCase *>(context);
    DWORD result;
    CallSixteenBitAt(c->bare, c->image, c->bytes, &result);
}

/* The bare call up, then the walk item 7 makes of the connection keys. */
void CallBareAndWalk(void *context)
{
    CallBare(context);
    CallUpCase *c = static_cast<CallUpCase *>(context);
    for (const char *path : c->connectionKeys)
        WalkValues(HKEY_CURRENT_USER, path);
}

void CallCredentialsDirectly(void *context)
{
    CallUpCase *c = static_cast<CallUpCase *>(context);
    c->credentials(c->userName, c->password, c->newPassword);
}

/* The call up, and with a direct call the service alone and the transition's
 * share (the difference). */
void TimeService(Report &report, const char *name, Operation direct, CallUpCase *c)
{
    char caseName[96];
    const Comparison through = Compare(name, CallRoutine, CallBare, c);
    report.Timing(through);
    if (direct == nullptr)
        return;
    wsprintfA(caseName, "%s_direct", name);
    const Comparison alone = Compare(caseName, direct, CallBare, c);
    report.Timing(alone);
    Comparison share = through;
    wsprintfA(caseName, "%s_transition_share", name);
    share.name = caseName;
    share.medianNs = through.medianNs > alone.medianNs ? through.medianNs - alone.medianNs : 0;
    share.minNs = through.minNs > alone.minNs ? through.minNs - alone.minNs : 0;
    report.Timing(share);
}

} // namespace

bool RunCallUpCases(Report &report)
{
    HMODULE provider = LoadLibraryA("ZORNET32.DLL");
    HMODULE service = LoadLibraryA("QENREGIO.DLL");
    HMODULE bench = LoadLibraryA("BARESL32.DLL");
    static CallUpCase c = {};
    c.credentials = provider ? reinterpret_cast<decltype(&QENGetUseridPassword)>(GetProcAddress(provider, "QENGetUseridPassword")) : nullptr;
    const DWORD fetch = FindSixteenBitRoutine("ZORN1632.DLL", "FETCHINTO");
    const DWORD request = FindSixteenBitRoutine("QENTHUNK.DLL", "REQUEST");
    const DWORD nothing12 = FindSixteenBitRoutine("BARESL16.DLL", "NOTHING12");
    const DWORD nothing18 = FindSixteenBitRoutine("BARESL16.DLL", "NOTHING18");
    bool complete = bench != nullptr && c.credentials != nullptr && service != nullptr && fetch != 0 && request != 0 && nothing12 != 0 && nothing18 != 0;
    if (!complete) {
        Warn("the provider, the registry service, the bench's bare connection or a 16-bit routine is missing");
    } else {
        /* QENGetUseridPassword: new password, password, user name, last argument lowest. */
        const DWORD farPointers[3] = {FarPointerTo(c.newPassword), FarPointerTo(c.password),
                                      FarPointerTo(c.userName)};
        std::memcpy(c.image, farPointers, sizeof(farPointers));
        c.bytes = 12;
        c.routine = fetch;
        c.bare = nothing12;
        TimeService(report, "qengetuseridpassword_callup", CallCredentialsDirectly, &c);
        for (DWORD farPointer : farPointers)
            ReleaseFarPointer(farPointer);

        /* RegistryRequest(0, 7, data, length, null, null): text, name, length, data, item, op. */
        const DWORD farData = FarPointerTo(c.data);
        const SHORT length = sizeof(c.data), item = 7, op = 0;
        const DWORD none = 0;
        std::memcpy(c.image, &none, 4);
        std::memcpy(c.image + 4, &none, 4);
        std::memcpy(c.image + 8, &length, 2);
        std::memcpy(c.image + 10, &farData, 4);
        std::memcpy(c.image + 14, &item, 2);
        std::memcpy(c.image + 16, &op, 2);
        c.bytes = 18;
        c.routine = request;
        c.bare = nothing18;
        TimeService(report, "registryrequest_item7_callup", nullptr, &c);
        for (int position = 0; position < 35; ++position) {
            if (position < 26)
                wsprintfA(c.connectionKeys[position], "NETWORK\\PERSISTENT\\%c", 'A' + position);
            else
                wsprintfA(c.connectionKeys[position], "NETWORK\\PERSISTENT\\LPT%d", position - 25);
        }
        report.Timing(Compare("registryrequest_item7_callup_vs_walk", CallRoutine, CallBareAndWalk, &c));
        const SHORT refused = 3; /* answered 5 at once, after the three far pointers were made flat */
        std::memcpy(c.image + 16, &refused, 2);
        TimeService(report, "registryrequest_refused_callup", nullptr, &c);
        ReleaseFarPointer(farData);
    }
    for (HMODULE module : {bench, service, provider})
        if (module != nullptr)
            FreeLibrary(module);
    return complete;
}
