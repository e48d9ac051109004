/*
 * Provider attach and detach as a process pays it each time it loads and
 * releases the provider after the first: LoadLibraryA and FreeLibrary of
 * ZORNET32.DLL, whose attach opens the thunk connection, maps the shared
 * block and binds the bridge (the bridge and the partners stay loaded);
 * against the same two calls for an empty DLL built as the product is, and
 * (_vs_platform) for BENCHATT.DLL, which makes exactly the provider's platform
 * calls at attach and detach.
 *
 * The first attach, as a new process pays it, each in a process of its own
 * (bench.exe --first-attach LIBRARY), the provider's and BENCHATT's taking
 * turns: each brings the bridge, TORVEK, its 16-bit partner and (on Wine)
 * WOW32 into a process that has none of them yet.
 */
#include "bench.h"
#include "child_process.h"
#include "sixteen_bit.h"

#include <algorithm>

namespace {

constexpr int kFirstAttachSamples = 5;
constexpr DWORD kChildMs = 120000;

/* LoadLibraryA and FreeLibrary; false when it did not load. */
bool LoadAndFree(const char *name)
{
    HMODULE module = LoadLibraryA(name);
    return module != nullptr && FreeLibrary(module);
}

/* The first attach of library in a new process, in nanoseconds; negative
 * when it could not be measured. */
double FirstAttachInChild(const char *library)
{
    const DWORD tenths =
        RunProgram(ProgramCommand("bench.exe", std::string("--first-attach ") + library), "", nullptr, kChildMs, 1);
    return tenths > 0 && tenths < kChildNotFinished ? tenths * 100.0 : -1;
}

} // namespace

int FirstAttachHere(const char *library)
{
    StartSixteenBitSubsystem(); /* Windows 95 always runs it: not the product's cost */
    bool loaded = false;
    const double ns = TimeOnce([&] { loaded = LoadAndFree(library); });
    return loaded ? std::max(1, static_cast<int>(ns / 100)) : 0; /* tenths of a microsecond */
}

bool RunFirstAttachCases(Report &report)
{
    std::vector<double> provider, platform;
    for (int i = 0; i < kFirstAttachSamples; ++i) {
        provider.push_back(FirstAttachInChild("ZORNET32.DLL"));
        platform.push_back(FirstAttachInChild("BENCHATT.DLL"));
        if (provider.back() < 0 || platform.back() < 0) {
            Warn("a first attach could not be measured in a process of its own");
            return false;
        }
    }
    report.Timing(Summarize("provider_attach_detach_first_vs_platform", provider, platform, 1));
    return true;
}

bool RunAttachCases(Report &report)
{
    for (const auto &[caseName, baseline] : {std::pair{"provider_attach_detach", "BENCHNU1.DLL"},
                                             std::pair{"provider_attach_detach_vs_platform", "BENCHATT.DLL"}}) {
        bool loaded = true;
        const Comparison attach = Compare(caseName, [&] { loaded &= LoadAndFree("ZORNET32.DLL"); },
                                          [&] { loaded &= LoadAndFree(baseline); });
        if (!loaded) {
            Warn("ZORNET32.DLL or %s failed to load during the attach case", baseline);
            return false;
        }
        report.Timing(attach);
    }
    return true;
}
