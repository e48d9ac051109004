/*
 * A notice's round trip to the client's 16-bit program in its own process
 * (BENCHAGT.EXE, ZORAGENT.EXE built with the answers of bench_agent.inc):
 * from the moment a silent NPLogon returns to the moment the program has
 * fetched the credentials through ZORN1632's thunk and answered this
 * process's window. Against the bare round trip in the same run: a message
 * posted across processes to the same Win16 window, whose handler makes one
 * bare call up (BARESL16's NOTHING12 into BARESL32, which does nothing) and
 * answers. Only the trip is timed; the logon before it is not, and each trip
 * starts with the program idle (its journal line of the notice before,
 * written after its answer, is waited for untimed).
 */
#include "agent_process.h"
#include "bench.h"
#include "child_process.h"
#include "loaded_library.h"
#include "provider_settings.h"
#include "registry_values.h"
#include "shared_logon_record.h"

#include <algorithm>

namespace {

constexpr DWORD kRepetitions = 7;
constexpr DWORD kTrips = 20;       /* per repetition and side */
constexpr DWORD kAnswerMs = 10000; /* a trip that takes longer is a failure */
constexpr UINT kBare = 3001;       /* bench_agent.inc's bare round trip */

/* Nanoseconds from start until message reaches this thread's window, or a
 * negative number when it did not come within kAnswerMs. */
double NanosecondsUntil(UINT message, const LARGE_INTEGER &start)
{
    const DWORD startTicks = GetTickCount();
    MSG m;
    for (DWORD waited = 0; waited < kAnswerMs; waited = GetTickCount() - startTicks) {
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
            if (m.message != message) {
                DispatchMessageA(&m);
                continue;
            }
            LARGE_INTEGER end, frequency;
            QueryPerformanceCounter(&end);
            QueryPerformanceFrequency(&frequency);
            return static_cast<double>(end.QuadPart - start.QuadPart) * 1e9 / static_cast<double>(frequency.QuadPart);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, kAnswerMs - waited, QS_POSTMESSAGE);
    }
    return -1;
}

decltype(&NPLogon) logon;
AgentProcess agent("BENCHAGT.EXE");
int notices;

/* Nanoseconds of one notice's trip, or a negative number when it failed. */
double NoticeTrip()
{
    char user[64] = "alice", password[64] = "secret";
    RouterLogonInfo info = {user, password};
    LARGE_INTEGER start;
    if (logon(nullptr, &info, nullptr, nullptr, 0, FlagsSilent) != 0 || !QueryPerformanceCounter(&start))
        return -1;
    const double ns = NanosecondsUntil(kLogonNotifyMessage, start);
    const bool idle = !agent.WaitForLine("notice " + std::to_string(++notices) + ":", kAnswerMs).empty();
    return idle ? ns : -1;
}

double BareTrip()
{
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    PostMessageA(agent.Window(), kBare, 0, 0);
    return NanosecondsUntil(kBare, start);
}

/* Repetitions of kTrips trips each way; false when a trip failed. The
 * minimum is a single trip's. */
bool TimeTrips(Report &report)
{
    /* Warm both paths up: the first bare trip loads BARESL16 into the program. */
    if (NoticeTrip() < 0 || BareTrip() < 0)
        return false;
    std::vector<double> notice(kRepetitions), bare(kRepetitions);
    double noticeMin = 1e18, bareMin = 1e18;
    for (DWORD r = 0; r < kRepetitions; ++r) {
        for (DWORD i = 0; i < kTrips; ++i) {
            const double n = NoticeTrip(), b = BareTrip();
            if (n < 0 || b < 0)
                return false;
            notice[r] += n / kTrips;
            bare[r] += b / kTrips;
            noticeMin = std::min(noticeMin, n);
            bareMin = std::min(bareMin, b);
        }
    }
    Comparison trips = Summarize("notice_roundtrip_zoragent", notice, bare, kTrips);
    trips.minNs = noticeMin;
    trips.baselineMinNs = bareMin;
    report.Timing(trips);
    return true;
}

} // namespace

bool RunNoticeCases(Report &report)
{
    HWND window = CreateWindowExA(0, "STATIC", "bench answers", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    LoadedLibrary provider("ZORNET32.DLL");
    logon = ProviderEntries(provider).NPLogon;
    std::string domain, error;
    const bool hadDomain = ReadTextValue(HKEY_LOCAL_MACHINE, kProviderKey, kRememberedDomainValue, &domain);
    char options[16];
    wsprintfA(options, "/r:%X", LOWORD(reinterpret_cast<ULONG_PTR>(window)));
    bool complete = Have(window != nullptr && logon != nullptr && RememberDomain("zordom") == ERROR_SUCCESS,
                         "the answer window, the provider or the remembered domain");
    if (complete && !agent.Start(ProgramFolder(), options, 90000, &error)) {
        Warn("%s", error.c_str());
        complete = false;
    } else if (complete && !TimeTrips(report)) {
        Warn("BENCHAGT.EXE did not answer a trip within %lu ms", kAnswerMs);
        complete = false;
    }
    agent.Stop(30000);
    RememberDomain(hadDomain ? domain : "");
    if (window != nullptr)
        DestroyWindow(window);
    return complete;
}
