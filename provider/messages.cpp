/*
 * How the provider talks to the user: message boxes with its caption, and the
 * context help of both dialogs.
 */
#include "provider_state.h"
#include "resources/zornet32.h"

/* (control, help topic) pairs for both dialogs; a label and its field share a topic. */
extern const DWORD HelpIdTable[] = {
    IDC_USERNAME_LABEL,   3000, IDC_PASSWORD_LABEL,   3010, IDC_DOMAIN_LABEL,     3020,
    IDC_USERNAME,         3000, IDC_PASSWORD,         3010, IDC_DOMAIN,           3020,
    IDC_OLD_LABEL,        3050, IDC_NEW_LABEL,        3060, IDC_CONFIRM_LABEL,    3070,
    IDC_OLD_PASSWORD,     3050, IDC_NEW_PASSWORD,     3060, IDC_CONFIRM_PASSWORD, 3070,
    IDOK,                 3030, IDCANCEL,             3040,
    IDC_LOGON_PROMPT,     3080, IDC_CHANGE_PROMPT,    3090, IDC_LOGON_ICON,       3100,
    0, 0,
};

namespace {
constexpr char kHelpFile[] = "ZORNET32.HLP";
constexpr UINT kErrorStyle = MB_OK | MB_ICONHAND | MB_SYSTEMMODAL | MB_SETFOREGROUND; /* 0x00011010 */
}

int ShowProviderMessageWithStyle(UINT stringId, UINT style)
{
    LoadStringA(provider.instance, IDS_CAPTION, provider.messageCaption, sizeof(provider.messageCaption));
    LoadStringA(provider.instance, stringId, provider.messageText, sizeof(provider.messageText));
    return MessageBoxA(GetFocus(), provider.messageText, provider.messageCaption, style);
}

void ShowProviderMessage(UINT stringId)
{
    ShowProviderMessageWithStyle(stringId, kErrorStyle);
}

BOOL ShowContextHelp(UINT message, WPARAM wParam, LPARAM lParam)
{
    const auto table = reinterpret_cast<ULONG_PTR>(HelpIdTable);
    if (message == WM_HELP) {
        const auto *info = reinterpret_cast<const HELPINFO *>(lParam);
        if (info != nullptr && info->iContextType == HELPINFO_WINDOW)
            WinHelpA(static_cast<HWND>(info->hItemHandle), kHelpFile, HELP_WM_HELP, table);
    } else {
        WinHelpA(reinterpret_cast<HWND>(wParam), kHelpFile, HELP_CONTEXTMENU, table);
    }
    return TRUE;
}
