/*
 * ZORNET32 as the router and the setup see it: the entries, the logon
 * information the router hands over, the router's logon flags, logoff reason
 * and password actions, and the registry keys and values that the provider,
 * its setup and whoever configures the machine share.
 *
 * The router finds the entries by ordinal (zornet32.def, checked by the image
 * audit); everything of ours calls them by name.
 */
#pragma once

#include <windows.h>

/* The router's logon information: a user name and a password. */
struct RouterLogonInfo {
    LPSTR userName;
    LPSTR password;
};

/* NPLogon's flags. */
enum LogonFlags : DWORD {
    FlagsInteractive = 2,
    FlagsSilent = 4,
    FlagsInteractiveValidated = 6, /* interactive, and the user must be validated */
};

/* NPLogoff's reason for a user logging off; other reasons are not ours. */
constexpr DWORD kLogoffReasonLogoff = 1;

/* PPChangePassword's actions. */
enum PasswordAction : DWORD {
    ActionNoticeLogon = 1,
    ActionNoticeChange = 2,
    ActionChange = 3,            /* change at the client, with messages */
    ActionForgetNewPassword = 4,
    ActionChangeQuietly = 777,   /* change at the client, no message */
};

extern "C" {
DWORD WINAPI NPGetCaps(DWORD index);
DWORD WINAPI NPAddConnection(LPVOID, LPVOID, LPVOID, LPVOID, LPVOID, LPVOID, LPVOID, LPVOID);
DWORD WINAPI NPLogon(HWND owner, RouterLogonInfo *logon, RouterLogonInfo *previous,
                     LPSTR script, DWORD scriptSize, DWORD flags);
DWORD WINAPI NPLogoff(LPVOID, LPVOID, DWORD reason);
DWORD WINAPI NPGetHomeDirectory(LPSTR directory, LPDWORD size);
DWORD WINAPI PPChangePassword(RouterLogonInfo *newLogon, RouterLogonInfo *previousLogon,
                              DWORD action);
DWORD WINAPI NPGetPolicyPath(LPSTR path, LPDWORD size, DWORD flags);
DWORD WINAPI PPGetPasswordStatus(DWORD index);
/* The two services the 16-bit side calls up into (through ZORN1632's thunk). */
DWORD WINAPI QENMirevola(DWORD value);
DWORD WINAPI QENGetUseridPassword(LPSTR userName, LPSTR password, LPSTR newPassword);
DWORD WINAPI DomainLogon(LPSTR userName, LPSTR password, LPSTR domain, DWORD showWaitCursor);
}

/* Where an NT-style router lists its network providers, where the password
 * providers are registered, and the provider's name in those lists. The
 * compiler lays these out in the reverse order of their definitions: keep
 * the order, and the setup's file keeps its bytes. */
constexpr char kNetworkProviderKey[] = "System\\CurrentControlSet\\Control\\NetworkProvider";
constexpr char kProviderOrderKey[] = "System\\CurrentControlSet\\Control\\NetworkProvider\\Order";
constexpr char kPasswordProvidersKey[] = "System\\CurrentControlSet\\Control\\PwdProvider";
constexpr char kProviderOrderValue[] = "ProviderOrder";
constexpr char kProviderName[] = "ZORNET32";

/* The provider's own key (HKEY_LOCAL_MACHINE), which the install file creates,
 * and the logon domain remembered in it. */
constexpr char kProviderKey[] = "System\\CurrentControlSet\\Services\\ZORNET32\\NetworkProvider";
constexpr char kRememberedDomainValue[] = "AuthenticatingAgent";

/* The machine's policy-update settings that NPGetPolicyPath reads. The value
 * names stay plain literals where the provider compares them (pointers to
 * them, not arrays): its file keeps the layout it has always had. */
constexpr char kUpdateKey[] = "System\\CurrentControlSet\\Control\\Update";
constexpr const char *kUpdateModeValue = "UpdateMode";
constexpr const char *kUseDefaultLocationValue = "UseDefaultNetLocation";
constexpr const char *kNetworkPathValue = "NetworkPath";
