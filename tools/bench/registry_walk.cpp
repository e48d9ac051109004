/* The bare registry walks that the registry cases are set against. */
#include "bench.h"
#include "registry_service.h"

namespace {

constexpr DWORD kNameSize = 128;
constexpr DWORD kDataSize = 1024;

} // namespace

void WalkValues(HKEY root, const char *path)
{
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_READ | KEY_WRITE, &key) != ERROR_SUCCESS)
        return;
    DWORD count = 0;
    if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr,
                         nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
        BYTE data[kDataSize];
        for (DWORD index = 0; index < count; ++index) {
            char name[kNameSize];
            DWORD nameSize = sizeof(name), dataSize = sizeof(data), type = REG_NONE;
            RegEnumValueA(key, index, name, &nameSize, nullptr, &type, data, &dataSize);
        }
    }
    RegCloseKey(key);
}

const char *ConnectionKey(int position)
{
    static char keys[kConnectionKeys][32];
    if (keys[position][0] == '\0')
        position < kDriveKeys ? wsprintfA(keys[position], "%s%c", kPersistentKey, 'A' + position)
                              : wsprintfA(keys[position], "%sLPT%d", kPersistentKey, 1 + position - kDriveKeys);
    return keys[position];
}

void WalkConnectionKeys()
{
    for (int position = 0; position < kConnectionKeys; ++position)
        WalkValues(HKEY_CURRENT_USER, ConnectionKey(position));
}
