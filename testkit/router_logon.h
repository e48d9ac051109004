/*
 * NPLogon as the router calls it: no owner window, previous logon or script,
 * and the router's buffers, larger than anything the provider writes back.
 */
#pragma once

#include "network_provider.h"

#include <windows.h>

struct LogonBuffers {
    char user[256] = "";
    char password[256] = "";
};

inline DWORD RouterLogon(decltype(&NPLogon) logon, LogonBuffers *buffers, DWORD flags)
{
    RouterLogonInfo info = {buffers->user, buffers->password};
    return logon(nullptr, &info, nullptr, nullptr, 0, flags);
}
