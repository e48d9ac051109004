#include "scratch_key.h"

namespace {

/* The path up to and including its count-th component. */
std::string Prefix(const std::string &path, size_t count)
{
    size_t seen = 0;
    for (size_t i = 0; i < path.size(); ++i)
        if (path[i] == '\\' && ++seen == count)
            return path.substr(0, i);
    return path;
}

size_t Components(const std::string &path)
{
    size_t count = 1;
    for (char c : path)
        if (c == '\\')
            ++count;
    return count;
}

bool KeyExists(HKEY root, const std::string &path)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

} // namespace

bool ScratchKey::Prepare(HKEY root, const char *path)
{
    Restore();
    root_ = root;
    path_ = path;
    depth_ = Components(path_);
    existingDepth_ = 0;
    while (existingDepth_ < depth_ && KeyExists(root_, Prefix(path_, existingDepth_ + 1)))
        ++existingDepth_;

    if (RegCreateKeyExA(root_, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                        nullptr) != ERROR_SUCCESS) {
        key_ = nullptr;
        return false;
    }
    if (!SaveValues()) {
        /* Nothing was changed in a key that existed: leave it as it is. */
        RegCloseKey(key_);
        key_ = nullptr;
        DeleteCreatedKeys();
        root_ = nullptr;
        return false;
    }
    DeleteValues();
    return true;
}

bool ScratchKey::SetText(const char *name, const char *text)
{
    return key_ != nullptr &&
           RegSetValueExA(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text),
                          lstrlenA(text) + 1) == ERROR_SUCCESS;
}

bool ScratchKey::SetNumber(const char *name, DWORD number)
{
    return key_ != nullptr &&
           RegSetValueExA(key_, name, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&number),
                          sizeof(number)) == ERROR_SUCCESS;
}

void ScratchKey::Restore()
{
    if (key_ == nullptr)
        return;
    DeleteValues();
    for (const SavedValue &value : saved_)
        RegSetValueExA(key_, value.name.c_str(), 0, value.type,
                       value.data.empty() ? nullptr : value.data.data(),
                       static_cast<DWORD>(value.data.size()));
    saved_.clear();
    RegCloseKey(key_);
    key_ = nullptr;
    DeleteCreatedKeys();
    root_ = nullptr;
}

bool ScratchKey::SaveValues()
{
    saved_.clear();
    DWORD count = 0, longestName = 0, longestData = 0;
    if (RegQueryInfoKeyA(key_, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count,
                         &longestName, &longestData, nullptr, nullptr) != ERROR_SUCCESS)
        return false;
    std::vector<char> name(longestName + 1);
    std::vector<BYTE> data(longestData + 1);
    for (DWORD index = 0; index < count; ++index) {
        DWORD nameSize = static_cast<DWORD>(name.size());
        DWORD dataSize = static_cast<DWORD>(data.size());
        DWORD type = REG_NONE;
        if (RegEnumValueA(key_, index, name.data(), &nameSize, nullptr, &type, data.data(),
                          &dataSize) != ERROR_SUCCESS)
            return false;
        saved_.push_back({std::string(name.data(), nameSize), type,
                          std::vector<BYTE>(data.begin(), data.begin() + dataSize)});
    }
    return true;
}

void ScratchKey::DeleteValues()
{
    /* Always the first value: the indexes move down as values go. */
    char name[16384];
    DWORD nameSize = sizeof(name);
    while (RegEnumValueA(key_, 0, name, &nameSize, nullptr, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS) {
        if (RegDeleteValueA(key_, name) != ERROR_SUCCESS)
            break;
        nameSize = sizeof(name);
    }
}

void ScratchKey::DeleteCreatedKeys()
{
    /* Deepest first; a key that still has subkeys of someone else stays. */
    for (size_t depth = depth_; depth > existingDepth_; --depth)
        if (RegDeleteKeyA(root_, Prefix(path_, depth).c_str()) != ERROR_SUCCESS)
            break;
}
