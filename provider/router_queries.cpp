/*
 * The router's small entry points: capabilities, connections (refused), the
 * home directory, logoff, and the password-status answers.
 */
#include "provider_state.h"
#include "router_buffers.h"

namespace {

struct TableEntry {
    DWORD index;
    DWORD value;
};

constexpr TableEntry kCapabilities[] = {
    {1, 0x00050001},  /* WNNC_SPEC_VERSION */
    {2, 0x00100000},  /* WNNC_NET_TYPE */
    {3, 0x00050000},  /* WNNC_DRIVER_VERSION */
    {4, 0},           /* WNNC_USER */
    {6, 1},           /* WNNC_CONNECTION: adding connections only */
    {8, 0},           /* WNNC_DIALOG */
    {11, 0},          /* WNNC_ENUMERATION */
    {12, 1},          /* WNNC_START */
    {13, 0},
    {14, 0x00000036}, /* bits 0x02, 0x04, 0x10 and 0x20 */
};

constexpr TableEntry kPasswordStatus[] = {
    {1, 1},
    {2, 1},
    {4, 2},
};

template <size_t N>
DWORD LookUp(const TableEntry (&table)[N], DWORD index)
{
    for (const TableEntry &entry : table)
        if (entry.index == index)
            return entry.value;
    return 0;
}

constexpr DWORD kNotLoggedOnAtClient = 2201; /* counts as logged off */
constexpr DWORD kLogoffDelay = 2000;

} // namespace

extern "C" {

DWORD WINAPI NPGetCaps(DWORD index)
{
    return LookUp(kCapabilities, index);
}

DWORD WINAPI PPGetPasswordStatus(DWORD index)
{
    return LookUp(kPasswordStatus, index);
}

/* The provider connects no resources through the router. */
DWORD WINAPI NPAddConnection(LPVOID, LPVOID, LPVOID, LPVOID, LPVOID, LPVOID, LPVOID, LPVOID)
{
    return ERROR_NOT_LOGGED_ON;
}

DWORD WINAPI NPGetHomeDirectory(LPSTR directory, LPDWORD size)
{
    if (provider.dispatcher == nullptr)
        return ERROR_NOT_SUPPORTED;
    if (size == nullptr) {
        /* No size from the router: the client writes into its buffer. */
        const DWORD status = provider.dispatcher(directory, nullptr, nullptr, nullptr, kClientCallValue,
                                                 ClientGetHomeDirectory);
        return status == 0 ? 0 : ERROR_NOT_SUPPORTED;
    }
    char home[1024] = "";
    if (provider.dispatcher(home, nullptr, nullptr, nullptr, kClientCallValue, ClientGetHomeDirectory) != 0)
        return ERROR_NOT_SUPPORTED;
    return DeliverToRouter(directory, size, home);
}

DWORD WINAPI NPLogoff(LPVOID, LPVOID, DWORD reason)
{
    if (reason != kLogoffReasonLogoff)
        return 0;

    /* An open logon dialog ends as if the user pressed Cancel, also when it
     * runs on another thread. A handle recorded from a dialog that has closed
     * names no window, or another window: that one is left alone. */
    HWND dialog = provider.logonDialogWindow;
    if (IsOpenLogonDialog(dialog))
        SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);

    if (provider.dispatcher == nullptr)
        return 0;
    Sleep(kLogoffDelay);
    DWORD status = provider.dispatcher(nullptr, nullptr, nullptr, nullptr, kClientCallValue, ClientLogoff);
    if (status == kNotLoggedOnAtClient)
        status = 0;
    if (status != 0)
        return status;
    NotifySixteenBitSide();
    return 0;
}

} // extern "C"
