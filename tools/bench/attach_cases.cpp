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
#include "sixteen_bit.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

struct Libraries {
    const char *provider;
    const char *empty;
    bool        failed;
};

void LoadAndFree(const char *name, bool *failed)
{
    HMODULE module = LoadLibraryA(name);
    if (module == nullptr) {
        *failed = true;
        return;
    }
    FreeLibrary(module);
}

void ProviderAttach(void *context)
{
    Libraries *libraries = static_cast<Libraries *>(context);
    LoadAndFree(libraries->provider, &libraries->failed);
}

void EmptyAttach(void *context)
{
    Libraries *libraries = static_cast<Libraries *>(context);
    LoadAndFree(libraries->empty, &libraries->failed);
}

void PlatformAttach(void *context)
{
    LoadAndFree("BENCHATT.DLL", &static_cast<Libraries *>(context)->failed);
}

constexpr int kFirstAttachSamples = 5;
constexpr DWORD kChildMs = 120000;

/* The first attach of library in a new process, in nanoseconds; negative
 * when it could not be measured. */
double FirstAttachInChild(const char *library)
{
    char program[MAX_PATH];
    BinDirectory(program);
    std::string commandLine = std::string("\"") + program + "bench.exe\" --first-attach " + library;
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION child = {};
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child))
        return -1;
    DWORD tenths = 0;
    if (WaitForSingleObject(child.hProcess, kChildMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(child.hProcess, &tenths);
    else
        TerminateProcess(child.hProcess, 0);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    return tenths > 0 ? tenths * 100.0 : -1;
}

double MedianOf(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int FirstAttachHere(const char *library)
{
    StartSixteenBitSubsystem(); /* Windows 95 always runs it: not the product's cost */
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    HMODULE module = LoadLibraryA(library);
    if (module == nullptr)
        return 0;
    FreeLibrary(module);
    QueryPerformanceCounter(&end);
    const double ns = static_cast<double>(end.QuadPart - start.QuadPart) * 1e9 / static_cast<double>(frequency.QuadPart);
    return std::max(1, static_cast<int>(ns / 100)); /* tenths of a microsecond */
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
    report.Timing({"provider_attach_detach_first_vs_platform", MedianOf(provider),
                   *std::min_element(provider.begin(), provider.end()), MedianOf(platform),
                   *std::min_element(platform.begin(), platform.end()), 1, kFirstAttachSamples});
    return true;
}

bool RunAttachCases(Report &report)
{
    Libraries libraries = {"ZORNET32.DLL", "BENCHNU1.DLL", false};
    const Comparison attach = Compare("provider_attach_detach", ProviderAttach, EmptyAttach, &libraries);
    if (libraries.failed) {
        Warn("a library failed to load during the attach case");
        return false;
    }
    report.Timing(attach);
    const Comparison platform = Compare("provider_attach_detach_vs_platform", ProviderAttach, PlatformAttach, &libraries);
    if (libraries.failed) {
        Warn("BENCHATT.DLL failed to load during the attach case");
        return false;
    }
    report.Timing(platform);
    return true;
}
