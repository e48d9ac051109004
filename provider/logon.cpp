/*
 * NPLogon: records the router's credentials in the shared block, then logs
 * the user on silently against the remembered domain, or through the logon
 * dialog until the user is validated, accepts a logon without a domain
 * server, or cancels. An expired password is changed on the spot.
 */
#include "bounded_text.h"
#include "provider_state.h"
#include "resources/zornet32.h"

namespace {

/* Statuses the logon loop tells apart. */
constexpr DWORD kNoDomain = 510;        /* no domain was typed */
constexpr DWORD kNoUserName = 520;      /* no user name was typed */
constexpr DWORD kNoDomainServer = 2214; /* no server could validate */
constexpr DWORD kNoLogonServer = 2215;
constexpr DWORD kPasswordExpired = 1330;
constexpr DWORD kPasswordExpiredAtServer = 2242;
constexpr DWORD kCancelled = ERROR_CANCELLED;              /* 1223 */
constexpr DWORD kCancelledValidated = 1503;                /* cancelled where validation is required */

/* Marks the provider's own open logon dialogs: a handle kept from a dialog
 * that has closed may name another window by now. */
constexpr char kLogonDialogMark[] = "ZorLogonDialog";

constexpr UINT kWarningStyle = MB_OKCANCEL | MB_ICONWARNING | MB_SYSTEMMODAL | MB_SETFOREGROUND;

void CopyToRouter(LPSTR routerBuffer, LPCSTR text)
{
    if (routerBuffer != nullptr)
        lstrcpyA(routerBuffer, text);
}

int FocusedField()
{
    if (provider.focusControl == IDC_USERNAME || provider.focusControl == IDC_DOMAIN)
        return static_cast<int>(provider.focusControl);
    return IDC_PASSWORD;
}

INT_PTR CALLBACK LogonDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    provider.logonDialogWindow = dialog;
    switch (message) {
    case WM_INITDIALOG: {
        SetPropA(dialog, kLogonDialogMark, reinterpret_cast<HANDLE>(1));
        SendDlgItemMessageA(dialog, IDC_USERNAME, EM_LIMITTEXT, 20, 0);
        SendDlgItemMessageA(dialog, IDC_PASSWORD, EM_LIMITTEXT, 14, 0);
        SendDlgItemMessageA(dialog, IDC_DOMAIN, EM_LIMITTEXT, 15, 0);
        /* Another process may have left the field without its terminator. */
        char userName[sizeof(SharedLogonRecord::userName)];
        ReadSharedFields([&] { CopyFieldOut(userName, provider.sharedRecord->userName); });
        SetDlgItemTextA(dialog, IDC_USERNAME, userName);
        if (provider.logonPassword[0] != '\0')
            SetDlgItemTextA(dialog, IDC_PASSWORD, provider.logonPassword);
        char domain[64];
        if (ReadAuthenticatingAgent(domain, sizeof(domain)))
            SetDlgItemTextA(dialog, IDC_DOMAIN, domain);
        SetForegroundWindow(dialog);
        SetFocus(GetDlgItem(dialog, FocusedField()));
        return FALSE;
    }
    case WM_COMMAND:
        if (wParam == IDOK) {
            GetDlgItemTextA(dialog, IDC_USERNAME, provider.logonUserName, 84);
            GetDlgItemTextA(dialog, IDC_PASSWORD, provider.logonPassword, 60);
            GetDlgItemTextA(dialog, IDC_DOMAIN, provider.logonDomain, 64);
            ShowWindow(dialog, SW_HIDE);
            Sleep(0);
            EndDialog(dialog, 1);
            return TRUE;
        }
        if (wParam == IDCANCEL) {
            provider.logonAccepted = 0;
            EndDialog(dialog, 1);
            return TRUE;
        }
        return FALSE;
    case WM_DESTROY:
        RemovePropA(dialog, kLogonDialogMark);
        return FALSE;
    case WM_HELP:
    case WM_CONTEXTMENU:
        return ShowContextHelp(message, wParam, lParam);
    default:
        return FALSE;
    }
}

/* Shows the message for a failed logon and picks the field the dialog focuses
 * next. Returns the status, or 0 when the user accepts a logon without a
 * domain server. */
DWORD ShowLogonError(DWORD status)
{
    LoadStringA(provider.instance, IDS_CAPTION, provider.messageCaption, sizeof(provider.messageCaption));
    UINT text = IDS_NOT_LOGGED_ON;
    DWORD focus = IDC_PASSWORD;
    switch (status) {
    case ERROR_ACCESS_DENIED: /* 5 */
    case 2203:
        text = IDS_WRONG_PASSWORD;
        break;
    case kNoDomain:
        text = IDS_NO_DOMAIN;
        focus = IDC_DOMAIN;
        break;
    case kPasswordExpired:
    case kPasswordExpiredAtServer:
        text = IDS_PASSWORD_EXPIRED;
        break;
    case 2202:
        text = IDS_USER_NOT_FOUND;
        focus = IDC_USERNAME;
        break;
    case 2239:
    case 2240:
    case 2241:
        text = IDS_ACCESS_DENIED;
        break;
    case kNoDomainServer:
    case kNoLogonServer:
        if (ShowProviderMessageWithStyle(IDS_NO_DOMAIN_SERVER, kWarningStyle) == IDCANCEL) {
            provider.focusControl = IDC_DOMAIN;
            return status;
        }
        /* OK: log on without a validating server, unless validation is required. */
        return provider.validationRequired ? status : 0;
    default:
        break;
    }
    provider.focusControl = focus;
    ShowProviderMessage(text);
    return status;
}

/* Copies back what the dialog returned; an empty buffer leaves its targets alone. */
void CopyBack(RouterLogonInfo *logon)
{
    SharedLogonRecord *record = provider.sharedRecord;
    if (provider.logonUserName[0] != '\0')
        CopyToRouter(logon->userName, provider.logonUserName);
    if (provider.logonPassword[0] != '\0')
        CopyToRouter(logon->password, provider.logonPassword);
    {
        SharedFieldsWrite write;
        if (provider.logonUserName[0] != '\0')
            StoreWhole(record->userName, provider.logonUserName);
        if (provider.logonPassword[0] != '\0')
            StoreWhole(record->password, provider.logonPassword);
        if (provider.logonDomain[0] != '\0')
            StoreWhole(record->domain, provider.logonDomain);
    }
    if (provider.logonDomain[0] != '\0')
        WriteAuthenticatingAgent(provider.logonDomain);
}

/* The change of an expired password and the validation with the new one.
 * Returns 0 when the user is logged on with it. */
DWORD ChangeExpiredPassword(HWND owner, RouterLogonInfo *logon, DWORD status)
{
    provider.changeRetry = 1;
    while (provider.changeRetry) {
        status = PromptNewPassword(owner, provider.logonPassword, provider.newPasswordBuffer, status);
        if (status == 0)
            status = ChangeDomainPassword(provider.logonUserName, provider.logonPassword,
                                          provider.newPasswordBuffer, provider.logonDomain, TRUE);
    }
    if (status != 0)
        return status;
    status = DomainLogon(provider.logonUserName, provider.newPasswordBuffer, provider.logonDomain, 1);
    if (status != 0)
        return status;
    CopyToRouter(logon->password, provider.newPasswordBuffer);
    SharedFieldsWrite write;
    StoreWhole(provider.sharedRecord->password, provider.newPasswordBuffer);
    return 0;
}

DWORD InteractiveLogon(HWND owner, RouterLogonInfo *logon)
{
    provider.logonUserName[0] = '\0';
    provider.logonPassword[0] = '\0';
    provider.logonDomain[0] = '\0';
    provider.changeRetry = 1;
    provider.logonStatus = 1;
    provider.focusControl = provider.sharedRecord->userName[0] == '\0' ? IDC_USERNAME : IDC_PASSWORD;
    provider.logonAccepted = 1;

    for (;;) {
        if (DialogBoxParamA(provider.instance, "ZORLOGON", owner, LogonDialogProc, 0) == -1) {
            /* Without a dialog there is nobody to ask: end instead of looping. */
            provider.logonStatus = 0;
            const DWORD error = GetLastError();
            return error != 0 ? error : kCancelled;
        }
        CopyBack(logon);
        if (!provider.logonAccepted) {
            provider.logonStatus = 0;
            return provider.validationRequired ? kCancelledValidated : kCancelled;
        }
        if (provider.dispatcher == nullptr)
            return 0;

        DWORD status;
        if (provider.logonUserName[0] == '\0')
            status = kNoUserName;
        else if (provider.logonDomain[0] == '\0')
            status = kNoDomain;
        else
            status = DomainLogon(provider.logonUserName, provider.logonPassword, provider.logonDomain, 1);
        provider.logonStatus = status;
        if (status == 0)
            return 0;

        status = ShowLogonError(status);
        if (status == kPasswordExpired || status == kPasswordExpiredAtServer)
            status = ChangeExpiredPassword(owner, logon, status);
        else if (status == kNoDomainServer)
            provider.dispatcher(nullptr, nullptr, nullptr, nullptr, kClientCallValue,
                                ClientLogonServerUnavailable);
        if (status == 0)
            return 0;
    }
}

DWORD SilentLogon()
{
    provider.logonDomain[0] = '\0';
    ReadAuthenticatingAgent(provider.logonDomain, sizeof(provider.logonDomain));
    if (provider.dispatcher == nullptr)
        return 0;
    /* The shared block's own fields: the silent logon leaves them upper-cased,
     * under the lock, and logs on with a copy of them taken at that moment, so
     * that no lock is held while the domain validates or the client is called. */
    SharedLogonRecord *record = provider.sharedRecord;
    char userName[sizeof(record->userName)];
    char password[sizeof(record->password)];
    {
        SharedFieldsWrite write;
        CharUpperBuffA(record->userName, 
                       static_cast<DWORD>(BoundedLength(record->userName, sizeof(userName) - 1)));
        CharUpperBuffA(record->password, 
                       static_cast<DWORD>(BoundedLength(record->password, sizeof(password) - 1)));
        CopyFieldOut(userName, record->userName);
        CopyFieldOut(password, record->password);
    }
    return DomainLogon(userName, password, provider.logonDomain, 1);
}

} // namespace

bool IsOpenLogonDialog(HWND window)
{
    DWORD process = 0;
    return window != nullptr && IsWindow(window) && GetWindowThreadProcessId(window, &process) != 0 &&
           process == GetCurrentProcessId() && GetPropA(window, kLogonDialogMark) != nullptr;
}

extern "C" DWORD WINAPI NPLogon(HWND owner, RouterLogonInfo *logon, RouterLogonInfo * /*previous*/,
                                LPSTR /*script*/, DWORD /*scriptSize*/, DWORD flags)
{
    SharedLogonRecord *record = provider.sharedRecord;
    provider.sharedUserName = record->userName;
    provider.sharedPassword = record->password;
    provider.sharedDomain = record->domain;
    RouterLogonInfo none = {nullptr, nullptr};
    if (logon == nullptr)
        logon = &none;
    /* A router string that does not fit its field leaves the field empty. */
    {
        SharedFieldsWrite write;
        StoreWhole(record->userName, logon->userName);
        StoreWhole(record->password, logon->password);
    }

    switch (flags) {
    case FlagsInteractive:
        return InteractiveLogon(owner, logon);
    case FlagsInteractiveValidated:
        provider.validationRequired = 1;
        return InteractiveLogon(owner, logon);
    case FlagsSilent:
        return SilentLogon();
    default:
        return 0;
    }
}
