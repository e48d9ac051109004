/*
 * Process attach and detach of the provider: the private heap, the thunk
 * connection through which ZORN1632 calls up, the shared logon block and the
 * client dispatcher of ZORN3216.
 */
#include "platform.h"
#include "provider_state.h"
#include "resources/zornet32.h"

ProviderState provider;

namespace {

const char kBlock16Name[] = "zorn1632_ThunkData16";

/* The platform's connection with ZORN1632's 16-bit half: made at attach,
 * ended at detach (reason 0; Windows 95 ends the process's connection). */
BOOL ConnectServices(DWORD reason)
{
    return ThunkConnect32(&zorn1632_ThunkData32, kBlock16Name, "ZORN1632.DLL", "ZORNET32.DLL",
                          provider.instance, reason);
}

/* Gives back what attach obtained; safe on a partial attach. The bridge
 * library stays loaded once the dispatcher is bound. The connection with
 * ZORN1632 is ended so that its 16-bit code, which outlives us, never calls
 * into a module that has gone. */
void ReleaseProcessResources()
{
    ConnectServices(DLL_PROCESS_DETACH);
    if (provider.heap != nullptr) {
        HeapDestroy(provider.heap);
        provider.heap = nullptr;
    }
    if (provider.sharedRecord != nullptr) {
        UnmapViewOfFile(provider.sharedRecord);
        provider.sharedRecord = nullptr;
    }
    if (provider.sharedMapping != nullptr) {
        CloseHandle(provider.sharedMapping);
        provider.sharedMapping = nullptr;
    }
    CloseSharedRecordLock();
}

BOOL FailAttach()
{
    if (provider.bridgeLibrary != nullptr && provider.dispatcher == nullptr) {
        FreeLibrary(provider.bridgeLibrary);
        provider.bridgeLibrary = nullptr;
    }
    ReleaseProcessResources();
    return FALSE;
}

/* The fields of ProviderState that do not start at zero. */
void StartProviderState(HINSTANCE instance)
{
    provider.instance = instance;
    provider.focusControl = IDC_PASSWORD;
    provider.logonStatus = 1;
    provider.logonAccepted = 1;
    provider.changeRetry = 1;
}

BOOL ProcessAttach(HINSTANCE instance)
{
    StartProviderState(instance);

    /* A missing heap is not fatal: only the registry scans use it, and they
     * do without it. */
    provider.heap = HeapCreate(0, 2048, 16384);

    SetTargetTableOffset(&zorn1632_ThunkData32, zorn1632_targets, kBlock16Name, RunningOnWine());
    if (!ConnectServices(DLL_PROCESS_ATTACH))
        return FailAttach();

    provider.sharedMapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                                kSharedRecordSize, kSharedRecordName);
    if (provider.sharedMapping == nullptr)
        return FailAttach();
    const bool createdHere = GetLastError() != ERROR_ALREADY_EXISTS;

    provider.sharedRecord = static_cast<SharedLogonRecord *>(
        MapViewOfFile(provider.sharedMapping, FILE_MAP_WRITE, 0, 0, 0));
    if (provider.sharedRecord == nullptr)
        return FailAttach();

    /* Without the lock the copies go ahead unlocked, as without a heap the
     * scans do without it: not a reason to refuse the load. */
    OpenSharedRecordLock();

    /* Only the creator clears the block; one that already exists keeps
     * whatever the other processes left in it. */
    if (createdHere)
        ZeroMemory(provider.sharedRecord, kSharedRecordSize);

    provider.bridgeLibrary = LoadLibraryA("ZORN3216.DLL");
    if (provider.bridgeLibrary == nullptr)
        return FailAttach();

    provider.dispatcher = reinterpret_cast<ClientDispatcher>(
        GetProcAddress(provider.bridgeLibrary, "TORVEKThunk"));
    if (provider.dispatcher == nullptr)
        return FailAttach();

    return TRUE;
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/)
{
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        return ProcessAttach(instance);
    case DLL_PROCESS_DETACH:
        ReleaseProcessResources();
        return TRUE;
    default: /* thread attach and detach */
        return TRUE;
    }
}
