/*
 * The logon domain remembered between logons: the value "AuthenticatingAgent"
 * under the provider's own key, which the install file creates. The provider
 * never creates the key.
 */
#include "bounded_text.h"
#include "provider_state.h"

#include <cstring>

namespace {

constexpr char kProviderKey[] = "System\\CurrentControlSet\\Services\\ZORNET32\\NetworkProvider";
constexpr char kValueName[] = "AuthenticatingAgent"; /* 20 bytes with its terminator */
constexpr DWORD kScratchSize = 1024;

/* An open registry key, closed on every path. */
class RegistryKey {
public:
    ~RegistryKey()
    {
        if (key_ != nullptr)
            RegCloseKey(key_);
    }
    LONG Open()
    {
        return RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProviderKey, 0, KEY_READ | KEY_WRITE, &key_);
    }
    operator HKEY() const { return key_; }

private:
    HKEY key_ = nullptr;
};

/* The scratch buffer of one read, from the provider's heap. */
class ScratchBuffer {
public:
    ScratchBuffer()
    {
        if (provider.heap != nullptr)
            data_ = static_cast<BYTE *>(HeapAlloc(provider.heap, HEAP_ZERO_MEMORY, kScratchSize));
    }
    ~ScratchBuffer()
    {
        if (data_ != nullptr)
            HeapFree(provider.heap, 0, data_);
    }
    BYTE *Data() const { return data_; }

private:
    BYTE *data_ = nullptr;
};

} // namespace

/*
 * Copies the remembered domain into destination (size bytes). A value that does
 * not fit is treated as missing rather than cut into another domain's name.
 * Returns 1 when a non-empty domain was copied.
 */
BOOL ReadAuthenticatingAgent(LPSTR destination, size_t size)
{
    if (destination == nullptr || size == 0)
        return FALSE;
    destination[0] = '\0';

    RegistryKey key;
    if (key.Open() != ERROR_SUCCESS)
        return FALSE;
    char keyClass[260];
    DWORD classSize = sizeof(keyClass);
    DWORD valueCount = 0;
    if (RegQueryInfoKeyA(key, keyClass, &classSize, nullptr, nullptr, nullptr, nullptr, &valueCount,
                         nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS ||
        valueCount == 0)
        return FALSE;

    ScratchBuffer scratch;
    if (scratch.Data() == nullptr)
        return FALSE;

    for (DWORD index = 0; index < valueCount; ++index) {
        ZeroMemory(scratch.Data(), kScratchSize);
        char name[128] = {};
        DWORD nameSize = sizeof(name);
        DWORD dataSize = kScratchSize;
        if (RegEnumValueA(key, index, name, &nameSize, nullptr, nullptr, scratch.Data(), &dataSize) !=
            ERROR_SUCCESS)
            continue;
        /* Exact and case-sensitive: the name and its terminator, byte for byte. */
        if (std::memcmp(name, kValueName, sizeof(kValueName)) == 0) {
            const char *text = reinterpret_cast<const char *>(scratch.Data());
            if (!CopyWhole(destination, size, text))
                destination[0] = '\0';
            break;
        }
    }
    return destination[0] != '\0';
}

LONG WriteAuthenticatingAgent(LPCSTR domain)
{
    RegistryKey key;
    const LONG status = key.Open();
    if (status != ERROR_SUCCESS)
        return status;
    return RegSetValueExA(key, kValueName, 0, REG_SZ, reinterpret_cast<const BYTE *>(domain),
                          static_cast<DWORD>(LengthOf(domain) + 1));
}
