/*
 * How the provider talks to the user: message boxes with its caption, and the
 * context help of both dialogs.
 */
#include "provider_state.h"
#include "resources/zornet32.h"
#include "resources/help_ids.h"

/* (control, help topic) pairs for both dialogs, closed by a pair of zeros. */
#define HELP_PAIR(control, topic) control, topic,
extern const DWORD HelpIdTable[] = {
    ZORNET32_HELP_TABLE(HELP_PAIR)
    0, 0,
};
#undef HELP_PAIR

namespace {
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
            WinHelpA(static_cast<HWND>(info->hItemHandle), ZORNET32_HELP_FILE, HELP_WM_HELP, table);
    } else {
        WinHelpA(reinterpret_cast<HWND>(wParam), ZORNET32_HELP_FILE, HELP_CONTEXTMENU, table);
    }
    return TRUE;
}
