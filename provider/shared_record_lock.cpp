/*
 * One lock, shared by every process that has the provider loaded, around the
 * text fields of the shared block: each writer stores its whole set and each
 * reader copies one writer's whole set, so the 16-bit side never fetches one
 * logon's user name with another's password. A named mutex, which Windows 95
 * has. It is held only for the copies themselves: never while a dialog is up,
 * a message box waits, the domain validates or the client is called.
 *
 * A process that died holding it leaves it abandoned: the next one takes it
 * over (the fields are written whole, so they are still valid). A holder that
 * does not let go within kSharedRecordLockWait is waited for no longer: the
 * copy goes ahead, as it always did before there was a lock.
 */
#include "provider_state.h"

void OpenSharedRecordLock()
{
    provider.sharedLock = CreateMutexA(nullptr, FALSE, kSharedRecordLockName);
}

void CloseSharedRecordLock()
{
    if (provider.sharedLock != nullptr) {
        CloseHandle(provider.sharedLock);
        provider.sharedLock = nullptr;
    }
}

SharedRecordLock::SharedRecordLock()
{
    if (provider.sharedLock == nullptr)
        return;
    const DWORD waited = WaitForSingleObject(provider.sharedLock, kSharedRecordLockWait);
    held_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
}

SharedRecordLock::~SharedRecordLock()
{
    if (held_)
        ReleaseMutex(provider.sharedLock);
}
