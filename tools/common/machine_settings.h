/*
 * The machine's settings that a person installing or trying the provider
 * touches: the install file, the router's provider order, the remembered
 * logon domain and the policy-update settings.
 */
#pragma once

#include <windows.h>

#include <string>

/* Reads a text value; false when the key or value is missing or is not text. */
bool ReadSettingText(HKEY root, const char *path, const char *name, std::string *text);
/* Writes a text or a number value, creating the key when needed; returns the registry's status. */
LONG WriteSettingText(HKEY root, const char *path, const char *name, const std::string &text);
LONG WriteSettingNumber(HKEY root, const char *path, const char *name, DWORD number);
/* Deletes a value; a value that is not there counts as deleted. */
LONG DeleteSetting(HKEY root, const char *path, const char *name);

/* The folder of the running program, with a trailing backslash. */
std::string ProgramFolder();

/*
 * Applies the registry entries of the install file (ZORNET.INF beside the
 * program) through the setup API, as its DefaultInstall or DefaultUninstall
 * section writes them, the provider's place in the NT-style order included.
 * Files are not copied. Returns 0 or an error; what was done is appended to
 * log, one line each.
 */
DWORD InstallProvider(std::string *log);
DWORD UninstallProvider(std::string *log);

/* The remembered logon domain; an empty domain deletes it. */
LONG RememberDomain(const std::string &domain);

/* The policy-update settings: a configured path, the default location, or none. */
LONG ConfigurePolicyPath(const std::string &path);
LONG UseDefaultPolicyPath();
LONG TurnPolicyPathOff();
