/*
 * The provider's place in the NT-style router's order, which the install file
 * cannot write itself: Windows 95's router reads one named value per provider
 * (the INF adds and deletes its own), but NT-style routers, Wine's among them,
 * read one comma-separated ProviderOrder text that other providers share.
 * ZORSETUP's DllRegisterServer and DllUnregisterServer (setup_main.cpp) run
 * these from the INF's NT-style sections.
 *
 * Guaranteed: the other providers' entries are never dropped, reordered or
 * respelled. Install appends ZORNET32 once (never twice); uninstall takes out
 * every entry naming it and deletes the value when nothing else is left. A
 * text too long for the fixed buffer, or of a type that is not text, is left
 * untouched and the call fails. Containers (the Order, NetworkProvider and
 * PwdProvider keys) that hold nothing but this provider's own entries are
 * removed with them: on NT-style systems they exist whenever any other
 * provider is installed, so only a machine that had none loses them.
 */
#include <windows.h>

#include "network_provider.h"
#include "registry_key.h"
#include "setup_steps.h"

namespace {

constexpr DWORD kProviderLength = sizeof(kProviderName) - 1;
constexpr DWORD kOrderRoom = 1024; /* two of them stay within one stack page */

inline HRESULT Failure(LONG status)
{
    return HRESULT_FROM_WIN32(static_cast<DWORD>(status));
}

/* Whether one entry of the list (length bytes, no terminator) names this
 * provider: spaces around a name do not count, case does not matter. */
bool NamesProvider(const char *entry, DWORD length)
{
    while (length > 0 && entry[0] == ' ') {
        ++entry;
        --length;
    }
    while (length > 0 && entry[length - 1] == ' ')
        --length;
    if (length != kProviderLength)
        return false;
    char name[kProviderLength + 1];
    for (DWORD i = 0; i < length; ++i)
        name[i] = entry[i];
    name[length] = '\0';
    return lstrcmpiA(name, kProviderName) == 0;
}

/* Reads the order text into order (kOrderRoom bytes, terminated). Returns
 * ERROR_FILE_NOT_FOUND when there is none, ERROR_INVALID_DATA when it is not
 * text, ERROR_MORE_DATA when it does not fit. */
LONG ReadOrder(HKEY key, char (&order)[kOrderRoom])
{
    DWORD type = 0;
    DWORD size = kOrderRoom - 1; /* room for a terminator the data may lack */
    const LONG status = RegQueryValueExA(key, kProviderOrderValue, nullptr, &type, reinterpret_cast<BYTE *>(order), &size);
    if (status != ERROR_SUCCESS)
        return status;
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return ERROR_INVALID_DATA;
    order[size] = '\0';
    return ERROR_SUCCESS;
}

LONG WriteOrder(HKEY key, const char *order, DWORD length)
{
    return RegSetValueExA(key, kProviderOrderValue, 0, REG_SZ, reinterpret_cast<const BYTE *>(order), length + 1);
}

/* Calls visit(start, length) for each comma-separated entry of order. */
template <typename Visit>
void ForEachEntry(const char *order, Visit visit)
{
    DWORD start = 0;
    for (DWORD i = 0;; ++i) {
        if (order[i] == ',' || order[i] == '\0') {
            visit(order + start, i - start);
            if (order[i] == '\0')
                return;
            start = i + 1;
        }
    }
}

/* Whether a key holds no values but the one named keepValue and no subkeys
 * but the one named keepSubkey (either may be null). */
bool HoldsOnly(HKEY key, const char *keepValue, const char *keepSubkey)
{
    char name[MAX_PATH];
    for (DWORD index = 0;; ++index) {
        DWORD size = sizeof(name);
        const LONG status = RegEnumValueA(key, index, name, &size, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        if (status != ERROR_SUCCESS || keepValue == nullptr || lstrcmpiA(name, keepValue) != 0)
            return false;
    }
    for (DWORD index = 0;; ++index) {
        const LONG status = RegEnumKeyA(key, index, name, sizeof(name));
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        if (status != ERROR_SUCCESS || keepSubkey == nullptr || lstrcmpiA(name, keepSubkey) != 0)
            return false;
    }
    return true;
}

/* Deletes the container at path (and this provider's subkey of it, which the
 * INF deletes anyway) when it holds nothing but this provider's entries. */
void RemoveIfOnlyOurs(const char *path, const char *ourValue, const char *ourSubkey)
{
    bool onlyOurs = false;
    {
        RegistryKey key;
        if (key.Open(HKEY_LOCAL_MACHINE, path) != ERROR_SUCCESS)
            return;
        onlyOurs = HoldsOnly(key, ourValue, ourSubkey);
        if (onlyOurs && ourSubkey != nullptr)
            RegDeleteKeyA(key, ourSubkey);
    }
    if (onlyOurs)
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, path);
}

} // namespace

HRESULT AddToProviderOrder()
{
    RegistryKey key;
    LONG status = key.Create(HKEY_LOCAL_MACHINE, kProviderOrderKey);
    if (status != ERROR_SUCCESS)
        return Failure(status);

    char order[kOrderRoom];
    status = ReadOrder(key, order);
    if (status == ERROR_FILE_NOT_FOUND || (status == ERROR_SUCCESS && order[0] == '\0'))
        return Failure(WriteOrder(key, kProviderName, kProviderLength));
    if (status != ERROR_SUCCESS)
        return Failure(status);

    bool listed = false;
    ForEachEntry(order, [&](const char *entry, DWORD length) { listed = listed || NamesProvider(entry, length); });
    if (listed)
        return S_OK;

    /* Last: the providers already installed keep their precedence. */
    const DWORD length = static_cast<DWORD>(lstrlenA(order));
    if (length + 1 + kProviderLength >= kOrderRoom)
        return Failure(ERROR_MORE_DATA);
    order[length] = ',';
    for (DWORD i = 0; i <= kProviderLength; ++i)
        order[length + 1 + i] = kProviderName[i];
    return Failure(WriteOrder(key, order, length + 1 + kProviderLength));
}

HRESULT RemoveFromProviderOrder()
{
    {
        RegistryKey key;
        if (key.Open(HKEY_LOCAL_MACHINE, kProviderOrderKey) != ERROR_SUCCESS)
            return S_OK; /* nothing was installed */

        char order[kOrderRoom];
        LONG status = ReadOrder(key, order);
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
            return Failure(status);
        if (status == ERROR_SUCCESS) {
            /* The other entries, each exactly as it was, in their order. */
            char kept[kOrderRoom];
            DWORD keptLength = 0;
            bool removed = false;
            ForEachEntry(order, [&](const char *entry, DWORD length) {
                if (NamesProvider(entry, length)) {
                    removed = true;
                    return;
                }
                if (keptLength > 0)
                    kept[keptLength++] = ',';
                for (DWORD i = 0; i < length; ++i)
                    kept[keptLength++] = entry[i];
            });
            kept[keptLength] = '\0';
            if (removed)
                status = keptLength > 0 ? WriteOrder(key, kept, keptLength) : RegDeleteValueA(key, kProviderOrderValue);
            if (status != ERROR_SUCCESS)
                return Failure(status);
        }
    }
    /* Innermost first: Order lies inside NetworkProvider. */
    RemoveIfOnlyOurs(kProviderOrderKey, kProviderName, nullptr);
    RemoveIfOnlyOurs(kNetworkProviderKey, nullptr, nullptr);
    RemoveIfOnlyOurs(kPasswordProvidersKey, nullptr, kProviderName);
    return S_OK;
}
