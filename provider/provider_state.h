/*
 * ProviderState: the provider's per-process module state. Each process that
 * loads the provider has its own; nothing resets it between calls, so a flag
 * left set by one call is seen by every later call in the process. It starts
 * all zero, so that it takes no room in the file; attach sets the few fields
 * that start otherwise (StartProviderState).
 */
#pragma once

#include "client_call.h"
#include "flat_thunk.h"
#include "network_provider.h"
#include "shared_logon_record.h"

/* An LS block with room for the two stubs the platform would write. */
struct UnconnectedClientBlock {
    FlatThunkLS32 block;
    BYTE          qtStub[32];
    BYTE          ftStub[32];
};

struct ProviderState {
    HINSTANCE          instance = nullptr;
    HANDLE             heap = nullptr;          /* scratch buffers of the registry scans */
    HANDLE             sharedMapping = nullptr; /* the named block */
    HANDLE             sharedLock = nullptr;    /* the mutex around its text fields */
    SharedLogonRecord *sharedRecord = nullptr; /* this process's view of it */
    HMODULE            bridgeLibrary = nullptr; /* ZORN3216, held for the life of the process */
    ClientDispatcher   dispatcher = nullptr;    /* its TORVEKThunk */

    /* Working pointers into the shared block, set before each use. */
    char *sharedUserName = nullptr;
    char *sharedPassword = nullptr;
    char *sharedNewPassword = nullptr;
    char *sharedOldPassword = nullptr;
    char *sharedDomain = nullptr;

    /* Interactive logon and password change. */
    DWORD focusControl = 0; /* 210 user name, 220 password, 230 domain */
    DWORD logonStatus = 0;
    DWORD logonAccepted = 0;
    DWORD changeCancelled = 0;
    DWORD changeRetry = 0;
    DWORD validationRequired = 0;
    HWND  logonDialogWindow = nullptr;

    char logonServer[256] = {}; /* server that validated the last logon */
    char logonUserName[96] = {};
    char logonPassword[64] = {};
    char logonDomain[64] = {};
    char newPasswordBuffer[60] = {};
    char confirmPasswordBuffer[60] = {};
    char messageText[1024] = {};
    char messageCaption[256] = {};

    /* Policy path scan. */
    char  networkPath[256] = {};
    DWORD useDefaultNetLocationSeen = 0;
    DWORD useDefaultNetLocationOn = 0;
};

extern ProviderState provider;

extern "C" {
extern FlatThunkSL32 zorn1632_ThunkData32;
extern const DWORD zorn1632_targets[];
extern UnconnectedClientBlock zorn3216_ThunkData32;
}

/* The lock around the shared block's text fields (shared_record_lock.cpp):
 * opened at attach, closed at detach; a SharedRecordLock holds it for a scope. */
constexpr DWORD kSharedRecordLockWait = 2000; /* ms: the longest a copy waits for another process */
void OpenSharedRecordLock();
void CloseSharedRecordLock();
class SharedRecordLock {
public:
    SharedRecordLock();
    ~SharedRecordLock();
    SharedRecordLock(const SharedRecordLock &) = delete;
    SharedRecordLock &operator=(const SharedRecordLock &) = delete;
    /* False when there is no lock or its holder did not let go in time. */
    bool Held() const { return held_; }

private:
    bool held_ = false;
};

/* A writer of the shared block's text fields, for one scope: holds the lock
 * and keeps the fields' sequence count odd while it stores. */
class SharedFieldsWrite {
public:
    SharedFieldsWrite();
    ~SharedFieldsWrite();
    SharedFieldsWrite(const SharedFieldsWrite &) = delete;
    SharedFieldsWrite &operator=(const SharedFieldsWrite &) = delete;

private:
    SharedRecordLock lock_;
};

/* A reader's copy of the text fields: copy(context) runs until it saw one
 * writer's whole set (the same even count before and after it), at most
 * kLockFreeReads times without the lock, then once more under it. */
constexpr DWORD kLockFreeReads = 1000;
void ReadSharedFields(void (*copy)(void *context), void *context);
template <class Copy> void ReadSharedFields(Copy copy)
{
    ReadSharedFields([](void *context) { (*static_cast<Copy *>(context))(); }, &copy);
}

/* Whether a window is a logon dialog of this process that is still open. */
bool IsOpenLogonDialog(HWND window);

/* Tells the 16-bit side's registered window of a logon or logoff. */
void NotifySixteenBitSide();

/* Upper-cases a writable string in place over its whole length. */
void UpperCaseInPlace(LPSTR text);

/* Messages and context help. */
extern const DWORD HelpIdTable[];
void ShowProviderMessage(UINT stringId);
int ShowProviderMessageWithStyle(UINT stringId, UINT style);
BOOL ShowContextHelp(UINT message, WPARAM wParam, LPARAM lParam);

/* The remembered logon domain. */
BOOL ReadAuthenticatingAgent(LPSTR destination, size_t size);
LONG WriteAuthenticatingAgent(LPCSTR domain);

/* Password change. */
DWORD ChangeDomainPassword(LPSTR userName, LPSTR oldPassword, LPSTR newPassword, LPSTR domain,
                           BOOL showErrors);
DWORD PromptNewPassword(HWND owner, LPSTR oldPassword, LPSTR newPassword, DWORD cancelStatus);
