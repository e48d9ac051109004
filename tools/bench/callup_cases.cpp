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

#include <algorithm>
#include <cstring>

namespace {

/* A routine of the stand-in and the bare one of the same shape, with the
 * argument image (far pointers made once, the last argument lowest). */
struct CallUp {
    DWORD routine;
    DWORD bare;
    BYTE  image[18] = {};
    DWORD bytes = 0;

    void Call(DWORD address) const
    {
        DWORD result;
        CallSixteenBitAt(address, image, bytes, &result);
    }
};

/* QENGetUseridPassword: the call up, the service called directly, and the
 * transition's share (the difference). Its image: new password, password,
 * user name. */
void TimeCredentials(Report &report, CallUp &c, decltype(&QENGetUseridPassword) credentials)
{
    static char userName[100], password[20], newPassword[20];
    const DWORD farPointers[3] = {FarPointerTo(newPassword), FarPointerTo(password), FarPointerTo(userName)};
    std::memcpy(c.image, farPointers, sizeof(farPointers));
    c.bytes = sizeof(farPointers);
    const auto bare = [&] { c.Call(c.bare); };
    const Comparison through = Compare("qengetuseridpassword_callup", [&] { c.Call(c.routine); }, bare);
    report.Timing(through);
    const Comparison alone = Compare("qengetuseridpassword_callup_direct",
                                     [&] { credentials(userName, password, newPassword); }, bare);
    report.Timing(alone);
    report.Timing({"qengetuseridpassword_callup_transition_share", std::max(through.medianNs - alone.medianNs, 0.0),
                   std::max(through.minNs - alone.minNs, 0.0), through.baselineMedianNs, through.baselineMinNs,
                   through.iterations, through.repetitions});
    for (DWORD farPointer : farPointers)
        ReleaseFarPointer(farPointer);
}

/* RegistryRequest(op, 7, data, length, null, null); its image: text, name,
 * length, data, item, op. */
void TimeRegistryRequest(Report &report, CallUp &c)
{
    static char data[2048];
    const DWORD farData = FarPointerTo(data);
    const SHORT length = sizeof(data), item = ItemPersistentConnections;
    const SHORT refused = 3; /* answered 5 at once, after the three far pointers were made flat */
    std::memcpy(c.image + 8, &length, 2);
    std::memcpy(c.image + 10, &farData, 4);
    std::memcpy(c.image + 14, &item, 2);
    c.bytes = 18;
    const auto call = [&] { c.Call(c.routine); };
    const auto bare = [&] { c.Call(c.bare); };
    report.Timing(Compare("registryrequest_item7_callup", call, bare));
    report.Timing(Compare("registryrequest_item7_callup_vs_walk", call, [&] {
        bare();
        WalkConnectionKeys(); /* what item 7 walks */
    }));
    std::memcpy(c.image + 16, &refused, 2);
    report.Timing(Compare("registryrequest_refused_callup", call, bare));
    ReleaseFarPointer(farData);
}

} // namespace

bool RunCallUpCases(Report &report)
{
    LoadedLibrary provider("ZORNET32.DLL"), service("QENREGIO.DLL"), bare("BARESL32.DLL");
    const auto credentials = ProviderEntries(provider).QENGetUseridPassword;
    CallUp fetch = {FindSixteenBitRoutine("ZORN1632.DLL", "FETCHINTO"),
                    FindSixteenBitRoutine("BARESL16.DLL", "NOTHING12")};
    CallUp request = {FindSixteenBitRoutine("QENTHUNK.DLL", "REQUEST"),
                      FindSixteenBitRoutine("BARESL16.DLL", "NOTHING18")};
    if (!Have(bare.Loaded() && service.Loaded() && credentials != nullptr && fetch.routine != 0 && fetch.bare != 0 &&
                  request.routine != 0 && request.bare != 0,
              "the provider, the registry service, the bare connection or a 16-bit routine"))
        return false;
    TimeCredentials(report, fetch, credentials);
    TimeRegistryRequest(report, request);
    return true;
}
