/*
 * Password changes: the router's PPChangePassword, the change at the client
 * with its messages, and the change-password dialog that asks for a new
 * password after an expired one.
 */
#include "bounded_text.h"
#include "freestanding.h"
#include "provider_state.h"
#include "resources/zornet32.h"

#include <initializer_list>

namespace {

constexpr int kPasswordLimit = 14;

UINT ChangeErrorString(DWORD status)
{
    switch (status) {
    case ERROR_BAD_NETPATH: return IDS_SERVER_NOT_FOUND; /* 53 */
    case 2221:              return IDS_USER_NOT_FOUND;   /* user not found */
    case 2244:                                            /* used before */
    case 2246:              return IDS_PASSWORD_USED;    /* changed too recently */
    case 2245:              return IDS_PASSWORD_TOO_SHORT;
    default:                return IDS_CHANGE_FAILED;
    }
}

void SetFieldWhenNotEmpty(HWND dialog, int control, LPCSTR text)
{
    if (text[0] != '\0')
        SetDlgItemTextA(dialog, control, text);
}

INT_PTR CALLBACK ChangePasswordDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        for (int control : {IDC_OLD_PASSWORD, IDC_NEW_PASSWORD, IDC_CONFIRM_PASSWORD})
            SendDlgItemMessageA(dialog, control, EM_LIMITTEXT, kPasswordLimit, 0);
        SetFieldWhenNotEmpty(dialog, IDC_OLD_PASSWORD, provider.logonPassword);
        SetFieldWhenNotEmpty(dialog, IDC_NEW_PASSWORD, provider.newPasswordBuffer);
        SetFieldWhenNotEmpty(dialog, IDC_CONFIRM_PASSWORD, provider.confirmPasswordBuffer);
        SetForegroundWindow(dialog);
        SetFocus(GetDlgItem(dialog, IDC_NEW_PASSWORD));
        return FALSE;
    case WM_COMMAND:
        if (wParam == IDOK) {
            /* The old-password field is not read: the change uses the logon's password. */
            GetDlgItemTextA(dialog, IDC_NEW_PASSWORD, provider.newPasswordBuffer,
                            sizeof(provider.newPasswordBuffer));
            GetDlgItemTextA(dialog, IDC_CONFIRM_PASSWORD, provider.confirmPasswordBuffer,
                            sizeof(provider.confirmPasswordBuffer));
            EndDialog(dialog, 1);
            return TRUE;
        }
        if (wParam == IDCANCEL) {
            EndDialog(dialog, 1);
            provider.changeCancelled = 1;
            return TRUE;
        }
        return FALSE;
    case WM_HELP:
    case WM_CONTEXTMENU:
        return ShowContextHelp(message, wParam, lParam);
    default:
        return FALSE;
    }
}

} // namespace

DWORD ChangeDomainPassword(LPSTR userName, LPSTR oldPassword, LPSTR newPassword, LPSTR domain,
                           BOOL showErrors)
{
    UpperCaseInPlace(userName);
    UpperCaseInPlace(oldPassword);
    UpperCaseInPlace(newPassword);
    UpperCaseInPlace(domain);
    const DWORD status = provider.dispatcher(userName, oldPassword, newPassword, domain,
                                             kClientCallValue, ClientChangePassword);
    if (!showErrors)
        return status;
    if (status == 0) {
        provider.changeRetry = 0;
        return 0;
    }
    provider.changeRetry = 1;
    ShowProviderMessage(ChangeErrorString(status));
    return status;
}

/* Asks for a new password until it is typed twice alike, or the user cancels.
 * newPassword must hold 60 bytes. */
DWORD PromptNewPassword(HWND owner, LPSTR /*oldPassword*/, LPSTR newPassword, DWORD cancelStatus)
{
    provider.newPasswordBuffer[0] = '\0';
    provider.confirmPasswordBuffer[0] = '\0';
    provider.changeCancelled = 0;
    for (;;) {
        /* A dialog that cannot be shown is taken as cancelled, never asked again forever. */
        if (DialogBoxParamA(provider.instance, "CHANGEPW", owner, ChangePasswordDlgProc, 0) == -1)
            provider.changeCancelled = 1;
        if (provider.changeCancelled) {
            provider.changeRetry = 0;
            return cancelStatus;
        }
        if (provider.newPasswordBuffer[0] != '\0' && provider.confirmPasswordBuffer[0] != '\0' &&
            SameText(provider.newPasswordBuffer, provider.confirmPasswordBuffer)) {
            lstrcpynA(newPassword, provider.newPasswordBuffer, sizeof(provider.newPasswordBuffer));
            return 0;
        }
        ShowProviderMessage(IDS_PASSWORDS_DIFFER);
    }
}

extern "C" DWORD WINAPI PPChangePassword(RouterLogonInfo *newLogon, RouterLogonInfo *previousLogon,
                                         DWORD action)
{
    SharedLogonRecord *record = provider.sharedRecord;
    switch (action) {
    case ActionNoticeLogon:
    case ActionNoticeChange:
        return 0;
    case ActionForgetNewPassword: {
        provider.sharedNewPassword = record->newPassword;
        SharedFieldsWrite write;
        provider.sharedNewPassword[0] = '\0';
        return 0;
    }
    case ActionChange:
    case ActionChangeQuietly:
        break;
    default:
        return ERROR_NOT_SUPPORTED;
    }
    if (newLogon == nullptr || previousLogon == nullptr)
        return ERROR_INVALID_PARAMETER;

    const BOOL showErrors = action == ActionChange;
    /* A password the shared block cannot hold whole is refused before the
     * client sees it: a cut copy would not be the password the domain has. */
    if (LengthOf(newLogon->password) >= sizeof(record->newPassword) ||
        LengthOf(previousLogon->password) >= sizeof(record->oldPassword)) {
        if (showErrors)
            ShowProviderMessage(IDS_CHANGE_FAILED);
        return ERROR_PASSWORD_RESTRICTION;
    }

    char domain[16] = "";
    ReadAuthenticatingAgent(domain, sizeof(domain));
    const DWORD status = ChangeDomainPassword(newLogon->userName, previousLogon->password,
                                              newLogon->password, domain, showErrors);
    if (status != 0)
        return status;

    provider.sharedNewPassword = record->newPassword;
    provider.sharedOldPassword = record->oldPassword;
    SharedFieldsWrite write;
    StoreWhole(record->newPassword, newLogon->password);
    StoreWhole(record->oldPassword, previousLogon->password);
    return 0;
}
