/*
 * An open registry key that is closed on every path. Keys are opened for
 * reading and writing (KEY_READ | KEY_WRITE), as every registry access of
 * the system does, also for reads.
 */
#pragma once

#include <windows.h>

class RegistryKey {
public:
    RegistryKey() = default;
    RegistryKey(const RegistryKey &) = delete;
    RegistryKey &operator=(const RegistryKey &) = delete;
    ~RegistryKey()
    {
        if (key_ != nullptr)
            RegCloseKey(key_);
    }

    /* Opens an existing key; returns the registry's status. */
    LONG Open(HKEY root, LPCSTR path)
    {
        const LONG status = RegOpenKeyExA(root, path, 0, KEY_READ | KEY_WRITE, &key_);
        if (status != ERROR_SUCCESS)
            key_ = nullptr;
        return status;
    }
    /* Opens a key, creating it when it does not exist; returns the registry's status. */
    LONG Create(HKEY root, LPCSTR path)
    {
        const LONG status = RegCreateKeyA(root, path, &key_);
        if (status != ERROR_SUCCESS)
            key_ = nullptr;
        return status;
    }
    /* The number of values of the open key, or the status of asking for it. */
    LONG CountValues(DWORD *count) const
    {
        *count = 0;
        return RegQueryInfoKeyA(key_, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, count,
                                nullptr, nullptr, nullptr, nullptr);
    }
    operator HKEY() const { return key_; }

private:
    HKEY key_ = nullptr;
};
