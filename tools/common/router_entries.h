/*
 * The provider's entries as the router and the 16-bit side's partners call
 * them. The router finds them by ordinal.
 */
#pragma once

#include <windows.h>

/* The router's logon information: the user name and password buffers. */
struct RouterLogonInfo {
    LPSTR userName;
    LPSTR password;
};

typedef DWORD (WINAPI *NPGetCapsEntry)(DWORD index);
typedef DWORD (WINAPI *NPLogonEntry)(HWND owner, RouterLogonInfo *logon, RouterLogonInfo *previous,
                                     LPSTR script, DWORD scriptSize, DWORD flags);
typedef DWORD (WINAPI *NPLogoffEntry)(LPVOID, LPVOID, DWORD reason);
typedef DWORD (WINAPI *NPGetHomeDirectoryEntry)(LPSTR directory, LPDWORD size);
typedef DWORD (WINAPI *PPChangePasswordEntry)(RouterLogonInfo *newLogon, RouterLogonInfo *previous,
                                              DWORD action);
typedef DWORD (WINAPI *NPGetPolicyPathEntry)(LPSTR path, LPDWORD size, DWORD flags);
typedef DWORD (WINAPI *PPGetPasswordStatusEntry)(DWORD index);
typedef DWORD (WINAPI *DomainLogonEntry)(LPSTR userName, LPSTR password, LPSTR domain, DWORD flag);
typedef DWORD (WINAPI *QENMirevolaEntry)(DWORD value);
typedef DWORD (WINAPI *QENGetUseridPasswordEntry)(LPSTR userName, LPSTR password, LPSTR newPassword);

/* Ordinals of the provider's exports. */
enum ProviderOrdinal : WORD {
    OrdinalGetCaps = 13,
    OrdinalAddConnection = 17,
    OrdinalLogon = 43,
    OrdinalLogoff = 44,
    OrdinalGetHomeDirectory = 45,
    OrdinalChangePassword = 47,
    OrdinalGetPolicyPath = 50,
    OrdinalGetPasswordStatus = 51,
    OrdinalDomainLogon = 100,
};

/* The router's flags for NPLogon, its reason for NPLogoff, the change actions. */
constexpr DWORD kInteractiveLogon = 2;
constexpr DWORD kSilentLogon = 4;
constexpr DWORD kValidatedInteractiveLogon = 6;
constexpr DWORD kLogoffReasonLogoff = 1;
constexpr DWORD kChangeWithMessages = 3;
constexpr DWORD kChangeQuietly = 777;

/* Where the provider keeps its settings and the machine its policy settings. */
constexpr char kProviderKey[] = "System\\CurrentControlSet\\Services\\ZORNET32\\NetworkProvider";
constexpr char kUpdateKey[] = "System\\CurrentControlSet\\Control\\Update";
