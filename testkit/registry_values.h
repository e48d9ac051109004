/*
 * Registry values read and written whole, for the tests and the tools: a
 * key is created where a value is written and closed on every path.
 */
#pragma once

#include <windows.h>

#include <string>

/* Reads a text value; false when the key or value is missing or is not text. */
bool ReadTextValue(HKEY root, const char *path, const char *name, std::string *text);
/* Writes a value of any type, a text or a number, creating the key when
 * needed; returns the registry's status. */
LONG WriteValue(HKEY root, const char *path, const char *name, DWORD type, const void *data, DWORD size);
LONG WriteTextValue(HKEY root, const char *path, const char *name, const std::string &text);
LONG WriteNumberValue(HKEY root, const char *path, const char *name, DWORD number);
/* Deletes a value; a value or key that is not there counts as deleted. */
LONG DeleteValue(HKEY root, const char *path, const char *name);
