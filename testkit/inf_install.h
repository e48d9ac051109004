/*
 * The install file's registry entries applied through the setup API, as its
 * DefaultInstall or DefaultUninstall section writes them on this system, the
 * provider's place in the NT-style order included. Files are not copied: the
 * router console and the build's prefix run beside the DLLs they load.
 */
#pragma once

#include <windows.h>

#include <string>

/* ZORNET.INF beside the program. Returns 0 or an error; what was done is
 * appended to log, one line each. */
DWORD InstallProvider(std::string *log);
DWORD UninstallProvider(std::string *log);
