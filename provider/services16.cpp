/*
 * The two services that the 16-bit side calls up through ZORN1632: register
 * the window that is told about logons and logoffs, and fetch the credentials
 * of the last logon from the shared block.
 */
#include "bounded_text.h"
#include "provider_state.h"

namespace {

const FARPROC kServiceEntries[] = {
    reinterpret_cast<FARPROC>(QENMirevola),
    reinterpret_cast<FARPROC>(QENGetUseridPassword),
};

} // namespace

extern "C" {

/* The 32-bit half of the connection with ZORN1632, which calls through it. */
ThunkData zorn1632_ThunkData32 = {THUNK_SIGNATURE, 2, kServiceEntries, nullptr};

/* The 32-bit half of a 32-to-16 connection with TORVEK that this library
 * never makes (the client calls go through ZORN3216): laid out and checksummed
 * like ZORN3216's, its stub areas never filled. */
UnconnectedClientBlock zorn3216_ThunkData32 = {
    {{'L', 'S', '0', '1'}, kClientCallChecksum, nullptr, {}, 0, 0, 0,
     offsetof(UnconnectedClientBlock, qtStub), offsetof(UnconnectedClientBlock, ftStub)},
    {},
    {}};

DWORD WINAPI QENMirevola(DWORD value)
{
    if (provider.sharedRecord != nullptr)
        provider.sharedRecord->notifyWindow = LOWORD(value);
    return 0;
}

DWORD WINAPI QENGetUseridPassword(LPSTR userName, LPSTR password, LPSTR newPassword)
{
    SharedLogonRecord *record = provider.sharedRecord;
    if (record == nullptr)
        return 0;
    provider.sharedUserName = record->userName;
    provider.sharedPassword = record->password;
    provider.sharedNewPassword = record->newPassword;
    CopyFieldOut(userName, record->userName);
    CopyFieldOut(password, record->password);
    CopyFieldOut(newPassword, record->newPassword);
    return 0;
}

} // extern "C"
