/*
 * A notice's round trip to the client's 16-bit program in its own process
 * (BENCHAGT.EXE, ZORAGENT.EXE built with the answers of bench_agent.inc): from the moment a silent NPLogon returns to the moment the
 * program has fetched the credentials through ZORN1632's thunk and answered
 * this process's window. Against the bare round trip in the same run: a
 * message posted across processes to the same Win16 window, whose handler
 * makes one bare call up (BARESL16's NOTHING12 into BARESL32, which does
 * nothing) and answers. Only the trip is timed; the logon before it is not,
 * and each trip starts with the program idle (its journal line of the notice
 * before, written after its answer, is waited for untimed).
 */
#include "agent_process.h"
#include "bench.h"
#include "child_process.h"
#include "inf_install.h"
#include "provider_settings.h"
#include "registry_values.h"
#include "loaded_library.h"

#include <algorithm>
#include <string>

namespace {

constexpr DWORD kRepetitions = 7;
constexpr DWORD kTrips = 20;          /* per repetition and side */
constexpr DWORD kAnswerMs = 10000;    /* a trip that takes longer is a failure */
constexpr UINT kNotice = 3000, kBare = 3001; /* bench_agent.inc's answers */

double Seconds(const LARGE_INTEGER &from, const LARGE_INTEGER &to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

/* Waits for message `message` to reach this thread's window; false after kAnswerMs. */
bool AwaitAnswer(UINT message)
{
    const DWORD start = GetTickCount();
    for (;;) {
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
            if (m.message == message)
                return true;
            DispatchMessageA(&m);
        }
        const DWORD waited = GetTickCount() - start;
        if (waited >= kAnswerMs)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, kAnswerMs - waited, QS_POSTMESSAGE);
    }
}

struct Trips {
    decltype(&NPLogon) logon;
    AgentProcess *agent;
    int notices;
};

/* Seconds of one notice's trip, or a negative number when it failed. */
double NoticeTrip(Trips &t)
{
    char user[64] = "alice", password[64] = "secret";
    RouterLogonInfo info = {user, password};
    if (t.logon(nullptr, &info, nullptr, nullptr, 0, FlagsSilent) != 0)
        return -1;
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    if (!AwaitAnswer(kNotice))
        return -1;
    QueryPerformanceCounter(&end);
    ++t.notices;
    if (t.agent->WaitForLine("notice " + std::to_string(t.notices) + ":", kAnswerMs).empty())
        return -1;
    return Seconds(start, end);
}

double BareTrip(Trips &t)
{
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    PostMessageA(t.agent->Window(), kBare, 0, 0);
    if (!AwaitAnswer(kBare))
        return -1;
    QueryPerformanceCounter(&end);
    return Seconds(start, end);
}

double Median(double (&values)[kRepetitions])
{
    double sorted[kRepetitions];
    std::copy(values, values + kRepetitions, sorted);
    std::sort(sorted, sorted + kRepetitions);
    return sorted[kRepetitions / 2];
}

} // namespace

bool RunNoticeCases(Report &report)
{
    HWND window = CreateWindowExA(0, "STATIC", "bench answers", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    HMODULE provider = LoadLibraryA("ZORNET32.DLL");
    char folder[MAX_PATH];
    BinDirectory(folder);
    std::string domain;
    const bool hadDomain = ReadTextValue(HKEY_LOCAL_MACHINE, kProviderKey, "AuthenticatingAgent", &domain);
    AgentProcess agent("BENCHAGT.EXE");
    std::string error;
    char options[16];
    wsprintfA(options, "/r:%X", LOWORD(reinterpret_cast<ULONG_PTR>(window)));
    bool complete = window != nullptr && provider != nullptr && RememberDomain("zordom") == ERROR_SUCCESS;
    if (complete && !agent.Start(folder, options, 90000, &error)) {
        Warn("%s", error.c_str());
        complete = false;
    }
    if (complete) {
        Trips t = {ProviderEntries(provider).NPLogon, &agent, 0};
        /* Warm both paths up: the first bare trip loads BARESL16 into the program. */
        complete = NoticeTrip(t) >= 0 && BareTrip(t) >= 0;
        double notice[kRepetitions] = {}, bare[kRepetitions] = {}, noticeMin = 1e9, bareMin = 1e9;
        for (DWORD r = 0; complete && r < kRepetitions; ++r) {
            for (DWORD i = 0; complete && i < kTrips; ++i) {
                const double n = NoticeTrip(t), b = BareTrip(t);
                complete = n >= 0 && b >= 0;
                notice[r] += n / kTrips;
                bare[r] += b / kTrips;
                noticeMin = std::min(noticeMin, n);
                bareMin = std::min(bareMin, b);
            }
        }
        if (!complete)
            Warn("BENCHAGT.EXE did not answer a trip within %lu ms", kAnswerMs);
        else
            report.Timing({"notice_roundtrip_zoragent", Median(notice) * 1e9, noticeMin * 1e9, Median(bare) * 1e9,
                           bareMin * 1e9, kTrips, kRepetitions});
    } else if (error.empty()) {
        Warn("the answer window, the provider or the remembered domain could not be had");
    }
    agent.Stop(30000);
    RememberDomain(hadDomain ? domain : "");
    if (provider != nullptr)
        FreeLibrary(provider);
    if (window != nullptr)
        DestroyWindow(window);
    return complete;
}
