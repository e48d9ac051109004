/*
 * The logon domain remembered between logons: the value "AuthenticatingAgent"
 * under the provider's own key, which the install file creates. The provider
 * never creates the key.
 */
#include "bounded_text.h"
#include "registry_scan.h"


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
    bool found = false;
    ScanValues(kProviderKey, [&](const char *name, const BYTE *data) {
        if (found || !SameValueName(name, kRememberedDomainValue))
            return;
        found = true;
        if (!CopyWhole(destination, size, reinterpret_cast<const char *>(data)))
            destination[0] = '\0';
    });
    return destination[0] != '\0';
}

LONG WriteAuthenticatingAgent(LPCSTR domain)
{
    RegistryKey key;
    const LONG status = key.Open(HKEY_LOCAL_MACHINE, kProviderKey);
    if (status != ERROR_SUCCESS)
        return status;
    return RegSetValueExA(key, kRememberedDomainValue, 0, REG_SZ, reinterpret_cast<const BYTE *>(domain),
                          static_cast<DWORD>(LengthOf(domain) + 1));
}
