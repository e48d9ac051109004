/*
 * What the product costs before any call: the bytes of each DLL on disk, the
 * memory a process gains when it loads the provider, and the time of that
 * first load, which also brings in the bridge and the partners and which no
 * later load repeats (they stay loaded). Runs before any other case so that
 * nothing of the product is in the process yet. The simulated network is
 * already loaded (bench.exe imports it), so it is not counted: a real
 * machine has no such library. The first load is set against loading as
 * many empty DLLs, built as the product is, as it brings into the process,
 * so that what is left over is the product's own cost.
 *
 * Memory is counted from the process's own address space: committed pages
 * of images, of mapped files and sections, and private pages. That is what
 * the platform has to back; the emulator's own memory is not the product's.
 */
#include "bench.h"
#include "child_process.h"
#include "sixteen_bit.h"

#include <psapi.h>

namespace {

/* Empty DLLs, one for each library the first load of the provider brings:
 * ZORNET32, ZORN3216, ZORN1632, TORVEK and on Wine WOW32. TORVEK is a 16-bit
 * DLL, which the process's list of (32-bit) modules does not show. */
constexpr int kEmptyLibraryCount = 6;
constexpr int kSixteenBitLibraries = 1;
constexpr const char *kEmptyLibraries[kEmptyLibraryCount] = {
    "BENCHNU1.DLL", "BENCHNU2.DLL", "BENCHNU3.DLL", "BENCHNU4.DLL", "BENCHNU5.DLL", "BENCHNU6.DLL"};
constexpr const char *kProviderLibraries[] = {"ZORNET32.DLL"};

/* Committed bytes: of images, of mapped files and sections, private. */
struct MemoryUse {
    ULONGLONG image, mapped, priv;
    ULONGLONG Total() const { return image + mapped + priv; }
};

MemoryUse CommittedMemory()
{
    MemoryUse use = {};
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    const BYTE *address = static_cast<const BYTE *>(system.lpMinimumApplicationAddress);
    MEMORY_BASIC_INFORMATION region;
    while (address < system.lpMaximumApplicationAddress &&
           VirtualQuery(address, &region, sizeof(region)) == sizeof(region)) {
        if (region.State == MEM_COMMIT)
            (region.Type == MEM_IMAGE ? use.image : region.Type == MEM_MAPPED ? use.mapped : use.priv) +=
                region.RegionSize;
        const BYTE *next = static_cast<const BYTE *>(region.BaseAddress) + region.RegionSize;
        if (next <= address)
            break;
        address = next;
    }
    return use;
}

ULONGLONG Grown(ULONGLONG before, ULONGLONG after)
{
    return after > before ? after - before : 0;
}

bool ReportDiskBytes(Report &report, const char *caseName, const char *fileName)
{
    const std::string path = ProgramFolder() + fileName;
    WIN32_FILE_ATTRIBUTE_DATA attributes;
    if (!Have(GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &attributes), path.c_str()))
        return false;
    report.Bytes(caseName, (static_cast<ULONGLONG>(attributes.nFileSizeHigh) << 32) | attributes.nFileSizeLow);
    return true;
}

/* The number of modules in this process, or -1 when it cannot be had. */
int CountModules()
{
    HMODULE modules[1024];
    DWORD needed = 0;
    if (!EnumProcessModules(GetCurrentProcess(), modules, sizeof(modules), &needed))
        return -1;
    return static_cast<int>(needed / sizeof(HMODULE));
}

/* The first load of some libraries in this process and their release: the
 * time of each, the memory after each, and how many modules the loads
 * brought in. */
struct FirstLoad {
    const char *const *libraries;
    int                count;
    HMODULE            modules[kEmptyLibraryCount] = {};
    double             loadNs = 0, freeNs = 0;
    int                modulesAdded = 0;
    MemoryUse          before = {}, loaded = {}, released = {};
};

bool MeasureFirstLoad(FirstLoad *load)
{
    const int modulesBefore = CountModules();
    load->before = CommittedMemory();
    load->loadNs = TimeOnce([load] {
        for (int i = 0; i < load->count; ++i)
            load->modules[i] = LoadLibraryA(load->libraries[i]);
    });
    load->loaded = CommittedMemory();
    load->modulesAdded = CountModules() - modulesBefore;
    bool loaded = true;
    for (int i = 0; i < load->count; ++i)
        loaded &= Have(load->modules[i] != nullptr, load->libraries[i]);
    load->freeNs = TimeOnce([load] {
        for (int i = 0; i < load->count; ++i)
            if (load->modules[i] != nullptr)
                FreeLibrary(load->modules[i]);
    });
    load->released = CommittedMemory();
    return loaded;
}

} // namespace

bool RunFootprint(Report &report)
{
    bool complete = true;
    complete &= ReportDiskBytes(report, "disk_zornet32", "ZORNET32.DLL");
    complete &= ReportDiskBytes(report, "disk_zorn3216", "ZORN3216.DLL");
    complete &= ReportDiskBytes(report, "disk_qenregio", "QENREGIO.DLL");
    complete &= ReportDiskBytes(report, "disk_empty_dll", kEmptyLibraries[0]);
    if (!complete)
        return false;

    /* Windows 95 always runs its 16-bit subsystem; Wine starts it on a
     * process's first crossing, which is not the product's cost. */
    if (!StartSixteenBitSubsystem())
        Warn("cannot start the 16-bit subsystem: the first attach includes its start");
    FirstLoad provider = {kProviderLibraries, 1};
    if (!MeasureFirstLoad(&provider))
        return false;
    /* As many empty DLLs as the provider brought, each loaded for the first time. */
    int brought = provider.modulesAdded + kSixteenBitLibraries;
    if (brought < 1 || brought > kEmptyLibraryCount) {
        Warn("the provider's first load brought %d libraries; the baseline loads %d", brought, kEmptyLibraryCount);
        brought = kEmptyLibraryCount;
    }
    FirstLoad empty = {kEmptyLibraries, brought};
    if (!MeasureFirstLoad(&empty))
        return false;

    report.Bytes("memory_empty_dlls", Grown(empty.before.Total(), empty.loaded.Total()));
    report.Bytes("memory_provider", Grown(provider.before.Total(), provider.loaded.Total()));
    report.Bytes("memory_provider_image", Grown(provider.before.image, provider.loaded.image));
    report.Bytes("memory_provider_mapped", Grown(provider.before.mapped, provider.loaded.mapped));
    report.Bytes("memory_provider_private", Grown(provider.before.priv, provider.loaded.priv));
    /* The bridge and the partners stay for the life of the process. */
    report.Bytes("memory_provider_after_detach", Grown(provider.before.Total(), provider.released.Total()));

    /* One sample each: a process loads the provider for the first time once. */
    report.Timing(Summarize("provider_attach_detach_first", {provider.loadNs + provider.freeNs},
                            {empty.loadNs + empty.freeNs}, 1));
    return true;
}
