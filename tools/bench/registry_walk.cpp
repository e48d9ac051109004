/* The bare registry walk that the registry cases are set against. */
#include "bench.h"

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
