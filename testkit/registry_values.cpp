#include "registry_values.h"

#include "registry_key.h"

bool ReadTextValue(HKEY root, const char *path, const char *name, std::string *text)
{
    RegistryKey key;
    if (key.Open(root, path) != ERROR_SUCCESS)
        return false;
    char data[1024] = "";
    DWORD size = sizeof(data) - 1; /* room for a terminator the data may lack */
    DWORD type = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE *>(data), &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    data[size] = '\0';
    *text = data;
    return true;
}

LONG WriteValue(HKEY root, const char *path, const char *name, DWORD type, const void *data, DWORD size)
{
    RegistryKey key;
    const LONG status = key.Create(root, path);
    if (status != ERROR_SUCCESS)
        return status;
    return RegSetValueExA(key, name, 0, type, static_cast<const BYTE *>(data), size);
}

LONG WriteTextValue(HKEY root, const char *path, const char *name, const std::string &text)
{
    return WriteValue(root, path, name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

LONG WriteNumberValue(HKEY root, const char *path, const char *name, DWORD number)
{
    return WriteValue(root, path, name, REG_DWORD, &number, sizeof(number));
}

LONG DeleteValue(HKEY root, const char *path, const char *name)
{
    RegistryKey key;
    LONG status = key.Open(root, path);
    if (status == ERROR_SUCCESS)
        status = RegDeleteValueA(key, name);
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}
