/*
 * The shared block's text fields, written by one process at a time and read
 * by any, so that the 16-bit side never fetches one logon's user name with
 * another's password.
 *
 * Writers (a logon, a password change: rare, and they may wait) take one
 * lock, shared by every process that has the provider loaded: a named mutex,
 * which Windows 95 has. It is held only for the stores themselves: never
 * while a dialog is up, a message box waits, the domain validates or the
 * client is called. A writer also advances the block's fieldsSequence before
 * and after its stores (InterlockedIncrement, which Windows 95 has), so the
 * count is odd exactly while a writer stores.
 *
 * Readers (each fetch of the 16-bit side, the logon dialog's user name) do
 * not enter the kernel: they read the count, copy, and read it again; the
 * same even count both times means no writer stored in between, and the
 * copy is one writer's whole set. x86 keeps loads in order and the writer's
 * locked increments order its stores, so a compiler barrier is all a reader
 * needs. After kLockFreeReads tries that met a writer, the reader takes the
 * lock and copies under it, as before there was a count.
 *
 * A writer that died between its two advances leaves the count odd and the
 * mutex abandoned: the next reader spins its bounded tries, takes the
 * abandoned lock over, and, holding it, knows nobody is storing: it makes the
 * count even again, so the readers after it are lock-free again. The fields
 * hold what the dead writer left, each written whole (as with the lock
 * alone). A holder that does not let go within kSharedRecordLockWait is
 * waited for no longer: the copy or store goes ahead unlocked, as it always
 * did before there was a lock, and the count is left as it is.
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

/* KERNEL32's own InterlockedIncrement, not the compiler's inline XADD: Windows
 * 95 runs on a 386, which has no XADD; its InterlockedIncrement (a locked INC)
 * reports only the sign of the result, which nothing here reads. */
typedef LONG(WINAPI *InterlockedIncrementEntry)(volatile LONG *value);
extern "C" const InterlockedIncrementEntry PlatformInterlockedIncrement asm("__imp__InterlockedIncrement@4");

namespace {

inline void CompilerBarrier()
{
    __asm__ __volatile__("" ::: "memory");
}

inline void Advance(volatile LONG &sequence)
{
    PlatformInterlockedIncrement(&sequence);
}

} // namespace

SharedFieldsWrite::SharedFieldsWrite()
{
    Advance(provider.sharedRecord->fieldsSequence);
}

SharedFieldsWrite::~SharedFieldsWrite()
{
    Advance(provider.sharedRecord->fieldsSequence);
}

void ReadSharedFields(void (*copy)(void *context), void *context)
{
    volatile LONG &sequence = provider.sharedRecord->fieldsSequence;
    for (DWORD attempt = 0; attempt < kLockFreeReads; ++attempt) {
        const LONG before = sequence;
        if ((before & 1) != 0)
            continue;
        CompilerBarrier();
        copy(context);
        CompilerBarrier();
        if (sequence == before)
            return;
    }
    SharedRecordLock lock;
    if (lock.Held() && (sequence & 1) != 0)
        Advance(sequence); /* its writer died mid-store */
    copy(context);
}
