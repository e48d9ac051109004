/*
 * The two services that the 16-bit side calls up through ZORN1632 and the
 * platform's 16-to-32 thunk: register the window that is told about logons
 * and logoffs, and fetch the credentials of the last logon from the shared
 * block.
 */
#include "bounded_text.h"
#include "freestanding.h"
#include "provider_state.h"

namespace {

DWORD FarPointerAt(const BYTE *arguments, DWORD offset)
{
    DWORD value;
    CopyBytes(&value, arguments + offset, sizeof(value));
    return value;
}

} // namespace

extern "C" {

/* Target 0, as services_thunk.S calls it with the 16-bit caller's frame: the
 * 32-bit value goes to QENMirevola unchanged. */
DWORD WINAPI MirevolaFromSixteen(const BYTE *frame) asm("_MirevolaFromSixteen");
DWORD WINAPI MirevolaFromSixteen(const BYTE *frame)
{
    return QENMirevola(FarPointerAt(frame + kSixteenBitArguments, 0));
}

/* Target 1: the three far pointers (the pascal image holds the new-password
 * buffer lowest, the user name's highest) made flat, QENGetUseridPassword,
 * then the three released in one call. */
DWORD WINAPI CredentialsFromSixteen(const BYTE *frame) asm("_CredentialsFromSixteen");
DWORD WINAPI CredentialsFromSixteen(const BYTE *frame)
{
    const BYTE *arguments = frame + kSixteenBitArguments;
    DWORD farPointers[3] = {FarPointerAt(arguments, 8), FarPointerAt(arguments, 4), FarPointerAt(arguments, 0)};
    LPSTR userName = static_cast<LPSTR>(MapSLFix(farPointers[0]));
    LPSTR password = static_cast<LPSTR>(MapSLFix(farPointers[1]));
    LPSTR newPassword = static_cast<LPSTR>(MapSLFix(farPointers[2]));
    const DWORD result = QENGetUseridPassword(userName, password, newPassword);
    UnMapSLFixArray(3, farPointers);
    return result;
}

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
    ReadSharedFields([&] {
        CopyFieldOut(userName, record->userName);
        CopyFieldOut(password, record->password);
        CopyFieldOut(newPassword, record->newPassword);
    });
    return 0;
}

} // extern "C"
