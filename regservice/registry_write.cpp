/*
 * WriteRegistry: sets or deletes one value of the catalogue's keys, or creates
 * or deletes one persistent connection of the current user. Keys under
 * HKEY_LOCAL_MACHINE are opened, never created.
 */
#include "bounded_text.h"
#include "freestanding.h"
#include "registry_key.h"
#include "regservice.h"

namespace {

constexpr char kProviderName[] = "Microsoft Network"; /* 18 bytes with the terminator */
constexpr size_t kWorkingBuffer = 260;

bool IsYesNoItem(int item)
{
    return item == ItemPasswordCaching || item == ItemFmShare || item == ItemLmLogon;
}

LONG SetText(HKEY key, const char *name, const char *text)
{
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text),
                          static_cast<DWORD>(LengthOf(text) + 1));
}

LONG WriteValue(int op, int item, const char *name, const char *text)
{
    RegistryKey key;
    const LONG status = key.Open(HKEY_LOCAL_MACHINE, ItemKey(item));
    if (status != ERROR_SUCCESS)
        return status;
    if (op == DeleteItem)
        return RegDeleteValueA(key, name);
    if (IsYesNoItem(item)) {
        const DWORD yes = SameName(text, "yes") ? 1 : 0;
        return RegSetValueExA(key, name, 0, REG_BINARY, reinterpret_cast<const BYTE *>(&yes), sizeof(yes));
    }
    return SetText(key, name, text);
}

/*
 * The key of a connection: the local name cut at its last ":". A name that does
 * not fit the working buffers is refused, never cut into another key, and so
 * is an empty connection name, which would address every connection at once.
 */
bool ConnectionKey(const char *localName, char (&path)[kWorkingBuffer])
{
    char name[kWorkingBuffer];
    if (!CopyWhole(name, localName))
        return false;
    if (char *colon = FindLast(name, ':'))
        *colon = '\0';
    if (name[0] == '\0' || sizeof(kPersistentKey) - 1 + LengthOf(name) >= kWorkingBuffer)
        return false;
    lstrcpyA(path, kPersistentKey);
    lstrcatA(path, name);
    return true;
}

LONG WriteConnection(int op, const char *user, const char *localName, const char *remotePath)
{
    char path[kWorkingBuffer];
    if (!ConnectionKey(localName, path))
        return ERROR_INVALID_PARAMETER;
    if (op != SetItem)
        return RegDeleteKeyA(HKEY_CURRENT_USER, path);

    RegistryKey key;
    LONG status = key.Create(HKEY_CURRENT_USER, path);
    if (status != ERROR_SUCCESS)
        return status;
    /* A failed step stops the sequence; what was written before it stays. */
    status = SetText(key, "RemotePath", remotePath);
    if (status == ERROR_SUCCESS)
        status = SetText(key, "UserName", user);
    if (status == ERROR_SUCCESS)
        status = RegSetValueExA(key, "ProviderName", 0, REG_SZ,
                                reinterpret_cast<const BYTE *>(kProviderName), sizeof(kProviderName));
    return status;
}

} // namespace

extern "C" LONG WINAPI WriteRegistry(int op, int item, char *data, char *name, char *text)
{
    if (item == ItemPersistentConnections)
        return WriteConnection(op, data, name, text);
    return WriteValue(op, item, name, text);
}
