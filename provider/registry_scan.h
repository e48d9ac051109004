/*
 * The provider's registry scans: every value of one key under
 * HKEY_LOCAL_MACHINE is visited with a 128-byte name buffer and a 1024-byte
 * data buffer from the provider's heap, zeroed before each value. Names are
 * matched by the visitor; the registry's own case-insensitive lookup is not
 * used, so a name in another letter case is another name.
 */
#pragma once

#include "provider_state.h"
#include "registry_key.h"

constexpr DWORD kScanDataSize = 1024;
constexpr DWORD kScanNameSize = 128;

/* A 1024-byte buffer from the provider's heap, given back on every path.
 * Data() is null when the heap could not supply it. */
class ScanBuffer {
public:
    ScanBuffer();
    ScanBuffer(const ScanBuffer &) = delete;
    ScanBuffer &operator=(const ScanBuffer &) = delete;
    ~ScanBuffer();
    BYTE *Data() const { return data_; }

private:
    BYTE *data_ = nullptr;
};

/* Compares a value name with an expected one byte for byte, terminator included. */
bool SameValueName(const char *name, const char *expected);

/*
 * Calls visit(name, data) for every value of the key that can be enumerated.
 * Returns false, without allocating anything when it can, when the key cannot
 * be opened, its value count cannot be read, it has no values, or no buffer
 * can be had.
 */
template <class Visit>
bool ScanValues(LPCSTR keyPath, Visit visit)
{
    RegistryKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, keyPath) != ERROR_SUCCESS)
        return false;
    DWORD valueCount = 0;
    if (key.CountValues(&valueCount) != ERROR_SUCCESS || valueCount == 0)
        return false;
    ScanBuffer data;
    if (data.Data() == nullptr)
        return false;
    for (DWORD index = 0; index < valueCount; ++index) {
        ZeroMemory(data.Data(), kScanDataSize);
        char name[kScanNameSize] = {};
        DWORD nameSize = sizeof(name);
        DWORD dataSize = kScanDataSize;
        if (RegEnumValueA(key, index, name, &nameSize, nullptr, nullptr, data.Data(), &dataSize) ==
            ERROR_SUCCESS)
            visit(static_cast<const char *>(name), static_cast<const BYTE *>(data.Data()));
    }
    return true;
}
