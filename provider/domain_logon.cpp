/*
 * DomainLogon: has MSNET32.DLL validate a user against a domain, logs the
 * validated user on at the client and tells the 16-bit side.
 */
#include "bounded_text.h"
#include "freestanding.h"
#include "provider_state.h"

namespace {

/* MSNET32.DLL's entry with ordinal 58. */
typedef DWORD (WINAPI *ValidateEntry)(LPVOID reserved, LPSTR domain, LPSTR user, LPSTR password,
                                      LPSTR empty, DWORD zero, DWORD one, LPBYTE result,
                                      DWORD resultSize, LPWORD extra);
constexpr WORD  kValidateOrdinal = 58;
constexpr DWORD kResultStatusOffset = 0;
constexpr DWORD kResultServerOffset = 62; /* not 4-byte aligned */
constexpr DWORD kResultSize = 256;

/* Validation statuses that mean the domain accepted the user. */
constexpr DWORD kLogonAlreadyDone = 2200;
constexpr DWORD kLogonSucceeded = 2204;

/* Our own status when the validation library or its entry is missing. */
constexpr DWORD kNotLoggedOn = 520;

DWORD Validate(LPSTR userName, LPSTR password, LPSTR domain, BYTE (&result)[kResultSize])
{
    HMODULE library = LoadLibraryA("MSNET32.DLL");
    if (library == nullptr)
        return kNotLoggedOn;
    auto validate = reinterpret_cast<ValidateEntry>(
        GetProcAddress(library, MAKEINTRESOURCEA(kValidateOrdinal)));
    if (validate == nullptr)
        return kNotLoggedOn;

    char empty[1] = "";
    WORD extra = 0;
    ZeroMemory(result, sizeof(result));
    const DWORD returned = validate(nullptr, domain, userName, password, empty, 0, 1, result,
                                   kResultSize, &extra);

    WORD statusWord;
    CopyBytes(&statusWord, result + kResultStatusOffset, sizeof(statusWord));
    return statusWord != 0 ? statusWord : returned;
}

/* The validating server's name goes to the client only when it fits whole;
 * a missing or over-long name leaves logonServer empty rather than cut. */
void RecordLogonServer(const BYTE (&result)[kResultSize])
{
    LPCSTR server;
    CopyBytes(&server, result + kResultServerOffset, sizeof(server));
    if (!CopyWhole(provider.logonServer, server))
        provider.logonServer[0] = '\0';
}

} // namespace

void NotifySixteenBitSide()
{
    /* Posted, not sent: the 16-bit side fetches the credentials in its own time. */
    const DWORD notifyWindow = provider.sharedRecord->notifyWindow;
    if (notifyWindow != 0)
        PostMessageA(reinterpret_cast<HWND>(static_cast<ULONG_PTR>(notifyWindow)), kLogonNotifyMessage, 0, 0);
}

void UpperCaseInPlace(LPSTR text)
{
    if (text != nullptr)
        CharUpperBuffA(text, lstrlenA(text));
}

extern "C" DWORD WINAPI DomainLogon(LPSTR userName, LPSTR password, LPSTR domain,
                                    DWORD showWaitCursor)
{
    HCURSOR previousCursor = nullptr;
    if (showWaitCursor)
        previousCursor = SetCursor(LoadCursorA(nullptr, IDC_WAIT));

    UpperCaseInPlace(userName);
    UpperCaseInPlace(password);
    UpperCaseInPlace(domain);

    BYTE result[kResultSize];
    DWORD status = Validate(userName, password, domain, result);
    if (status == kLogonSucceeded || status == kLogonAlreadyDone)
        status = 0;

    if (status == 0) {
        RecordLogonServer(result);
        status = provider.dispatcher(userName, provider.logonServer, nullptr, domain,
                                     kClientCallValue, ClientLogon);
    }
    if (status == kLogonSucceeded)
        status = 0;

    if (showWaitCursor)
        SetCursor(previousCursor);

    if (status == 0)
        NotifySixteenBitSide();
    return status;
}
