/*
 * What the product costs before any call: the bytes of each DLL on disk, the
 * memory a process gains when it loads the provider, and the time of that
 * first load, which also brings in the bridge and the partners and which no
 * later load repeats (they stay loaded). Runs before any other case so that
 * nothing of the product is in the process yet. The simulated network is
 * already loaded (bench.exe imports it), so it is not counted: a real
 * machine has no such library.
 *
 * Memory is counted from the process's own address space: committed pages
 * of images, of mapped files and sections, and private pages. That is what
 * the platform has to back; the emulator's own memory is not the product's.
 */
#include "bench.h"

namespace {

struct MemoryUse {
    ULONGLONG image;
    ULONGLONG mapped;
    ULONGLONG priv;
    ULONGLONG Total() const { return image + mapped + priv; }
};

MemoryUse CommittedMemory()
{
    MemoryUse use = {};
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    const BYTE *address = static_cast<const BYTE *>(system.lpMinimumApplicationAddress);
    const BYTE *end = static_cast<const BYTE *>(system.lpMaximumApplicationAddress);
    MEMORY_BASIC_INFORMATION region;
    while (address < end && VirtualQuery(address, &region, sizeof(region)) == sizeof(region)) {
        if (region.State == MEM_COMMIT) {
            if (region.Type == MEM_IMAGE)
                use.image += region.RegionSize;
            else if (region.Type == MEM_MAPPED)
                use.mapped += region.RegionSize;
            else
                use.priv += region.RegionSize;
        }
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
    char path[MAX_PATH];
    BinDirectory(path);
    if (lstrlenA(path) + lstrlenA(fileName) >= MAX_PATH)
        return false;
    lstrcatA(path, fileName);
    WIN32_FILE_ATTRIBUTE_DATA attributes;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &attributes)) {
        Warn("%s is missing", path);
        return false;
    }
    report.Bytes(caseName, (static_cast<ULONGLONG>(attributes.nFileSizeHigh) << 32) |
                               attributes.nFileSizeLow);
    return true;
}

/* The first load of a library in this process and its release: the time
 * of each, and the memory after each. */
struct FirstLoad {
    const char *library;
    HMODULE     module;
    double      loadNs;
    double      freeNs;
    MemoryUse   before, loaded, released;
};

void LoadIt(void *context)
{
    FirstLoad *load = static_cast<FirstLoad *>(context);
    load->module = LoadLibraryA(load->library);
}

void FreeIt(void *context)
{
    FreeLibrary(static_cast<FirstLoad *>(context)->module);
}

bool MeasureFirstLoad(FirstLoad *load)
{
    load->before = CommittedMemory();
    load->loadNs = TimeOnce(LoadIt, load);
    if (load->module == nullptr) {
        Warn("cannot load %s (error %lu)", load->library, GetLastError());
        return false;
    }
    load->loaded = CommittedMemory();
    load->freeNs = TimeOnce(FreeIt, load);
    load->released = CommittedMemory();
    return true;
}

} // namespace

bool RunFootprint(Report &report)
{
    bool complete = true;
    complete &= ReportDiskBytes(report, "disk_zornet32", "ZORNET32.DLL");
    complete &= ReportDiskBytes(report, "disk_zorn3216", "ZORN3216.DLL");
    complete &= ReportDiskBytes(report, "disk_qenregio", "QENREGIO.DLL");
    complete &= ReportDiskBytes(report, "disk_empty_dll", "BENCHNUL.DLL");
    if (!complete)
        return false;

    FirstLoad empty = {"BENCHNUL.DLL", nullptr, 0, 0, {}, {}, {}};
    FirstLoad provider = {"ZORNET32.DLL", nullptr, 0, 0, {}, {}, {}};
    if (!MeasureFirstLoad(&empty) || !MeasureFirstLoad(&provider))
        return false;

    report.Bytes("memory_empty_dll", Grown(empty.before.Total(), empty.loaded.Total()));
    report.Bytes("memory_provider", Grown(provider.before.Total(), provider.loaded.Total()));
    report.Bytes("memory_provider_image", Grown(provider.before.image, provider.loaded.image));
    report.Bytes("memory_provider_mapped", Grown(provider.before.mapped, provider.loaded.mapped));
    report.Bytes("memory_provider_private", Grown(provider.before.priv, provider.loaded.priv));
    /* The bridge and the partners stay for the life of the process. */
    report.Bytes("memory_provider_after_detach",
                 Grown(provider.before.Total(), provider.released.Total()));

    /* One sample each: a process loads the provider for the first time once. */
    Comparison first = {};
    first.name = "provider_attach_detach_first";
    first.medianNs = first.minNs = provider.loadNs + provider.freeNs;
    first.baselineMedianNs = first.baselineMinNs = empty.loadNs + empty.freeNs;
    first.iterations = 1;
    first.repetitions = 1;
    report.Timing(first);
    return true;
}
