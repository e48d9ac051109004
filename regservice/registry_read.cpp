/*
 * ReadRegistry: one item of the catalogue. Values are found by walking the
 * key's values and comparing names, never by asking the registry for a name.
 */
#include "bounded_text.h"
#include "freestanding.h"
#include "registry_key.h"
#include "regservice.h"

namespace {

constexpr DWORD kBlockSize = 1024;
constexpr DWORD kNameSize = 128;

const char *ValueName(int item)
{
    switch (item) {
    case ItemUserName:            return "USERNAME";
    case ItemAuthenticatingAgent: return "AUTHENTICATINGAGENT";
    case ItemDomains:             return "DOMAINS";
    case ItemPasswordCaching:     return "PASSWORDCACHING";
    case ItemFmShare:             return "FMSHARE";
    case ItemLmLogon:             return "LMLOGON";
    case ItemComputerName:        return "COMPUTERNAME";
    default:                      return nullptr;
    }
}

/* The value-data block of one key, from ServiceHeap. */
class Block {
public:
    Block()
    {
        if (ServiceHeap != nullptr)
            data_ = static_cast<BYTE *>(HeapAlloc(ServiceHeap, HEAP_ZERO_MEMORY, kBlockSize));
    }
    ~Block()
    {
        if (data_ != nullptr)
            HeapFree(ServiceHeap, 0, data_);
    }
    Block(const Block &) = delete;
    Block &operator=(const Block &) = delete;
    BYTE *Data() const { return data_; }

private:
    BYTE *data_ = nullptr;
};

struct EnumeratedValue {
    char  name[kNameSize];
    DWORD type;
    DWORD size;
};

LONG Enumerate(HKEY key, DWORD index, BYTE *block, EnumeratedValue *value)
{
    ZeroMemory(block, kBlockSize);
    value->name[0] = '\0';
    DWORD nameSize = kNameSize;
    value->size = kBlockSize;
    value->type = REG_NONE;
    return RegEnumValueA(key, index, value->name, &nameSize, nullptr, &value->type, block, &value->size);
}

/* The text of a value, never read past the block: a block filled without a
 * terminator gives its first 1023 bytes. */
size_t TextLength(const BYTE *block)
{
    return BoundedLength(reinterpret_cast<const char *>(block), kBlockSize - 1);
}

/* The found value's answer, written only when it fits the item's room: a
 * value of another type than the item expects (a text in a yes/no item) may
 * be longer than the 16-bit caller's buffer. */
LONG Answer(const EnumeratedValue &value, const BYTE *block, char *data, size_t room)
{
    if (value.type == REG_BINARY) {
        if (value.size > 0 && block[0] != 0) {
            CopyBytes(data, "YES", 4);
            return ResultYes;
        }
        CopyBytes(data, "NO", 3);
        return ResultNo;
    }
    const size_t length = TextLength(block);
    if (length + 1 > room)
        return ERROR_MORE_DATA;
    CopyBytes(data, block, length);
    data[length] = '\0';
    return ERROR_SUCCESS;
}

LONG ReadValue(int item, char *data)
{
    RegistryKey key;
    const LONG opened = key.Open(HKEY_LOCAL_MACHINE, ItemKey(item));
    if (opened != ERROR_SUCCESS)
        return opened;
    DWORD count = 0;
    const LONG counted = key.CountValues(&count);
    if (counted != ERROR_SUCCESS)
        return counted;
    if (count == 0)
        return ERROR_SUCCESS;
    Block block;
    if (block.Data() == nullptr)
        return ERROR_NOT_ENOUGH_MEMORY;

    LONG result = ERROR_SUCCESS;
    for (DWORD index = 0; index < count; ++index) {
        EnumeratedValue value;
        result = Enumerate(key, index, block.Data(), &value);
        if (result != ERROR_SUCCESS || !SameName(value.name, ValueName(item)))
            continue;
        return Answer(value, block.Data(), data, ItemRoom(item));
    }
    return result;
}

/* The persistent connections: drives A to Z, then ports LPT1 to LPT9. */
LONG ReadConnections(char *data)
{
    DWORD entries = 0;
    LONG result = ERROR_SUCCESS;
    for (int position = 0; position < kDriveKeys + kPortKeys; ++position) {
        char localName[9] = "";
        if (position < kDriveKeys) {
            localName[0] = static_cast<char>('A' + position);
            CopyBytes(localName + 1, ":", 2);
        } else {
            CopyBytes(localName, "LPT", 3);
            localName[3] = static_cast<char>('1' + position - kDriveKeys);
            CopyBytes(localName + 4, ":", 2);
        }
        char path[64];
        lstrcpyA(path, kPersistentKey);
        lstrcatA(path, localName);
        path[lstrlenA(path) - 1] = '\0'; /* the key has no ":" */

        RegistryKey key;
        result = key.Open(HKEY_CURRENT_USER, path);
        if (result != ERROR_SUCCESS)
            continue;
        DWORD count = 0;
        result = key.CountValues(&count);
        if (result != ERROR_SUCCESS || count == 0)
            continue;
        Block block;
        if (block.Data() == nullptr) {
            result = ERROR_NOT_ENOUGH_MEMORY;
            continue;
        }
        result = ERROR_SUCCESS;
        for (DWORD index = 0; index < count; ++index) {
            EnumeratedValue value;
            result = Enumerate(key, index, block.Data(), &value);
            if (result != ERROR_SUCCESS || !SameName(value.name, "RemotePath"))
                continue;
            /* A path that does not fit its 31 bytes is left out rather than
             * cut into the path of another share. */
            const size_t length = TextLength(block.Data());
            if (length >= kRemotePathSize)
                continue;
            char *entry = data + entries * kConnectionEntrySize;
            CopyBytes(entry + kRemotePathOffset, block.Data(), length + 1);
            CopyBytes(entry, localName, lstrlenA(localName) + 1);
            ++entries;
        }
    }
    return entries > 0 ? ERROR_SUCCESS : result;
}

} // namespace

extern "C" LONG WINAPI ReadRegistry(int item, char *data, int /*length*/)
{
    if (item < ItemUserName || item > ItemComputerName)
        return ResultBadRequest;
    if (item == ItemPersistentConnections)
        return ReadConnections(data);
    return ReadValue(item, data);
}
