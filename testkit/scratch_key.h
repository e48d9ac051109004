/*
 * A registry key that the benchmark fills for a while. Whatever values the
 * key held before are saved and removed, so a case always walks exactly the
 * values it set; Restore() removes the case's values, puts the saved ones
 * back in their order, and deletes the key and every key on its path that
 * did not exist before (as long as nothing else lives below them).
 */
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class ScratchKey {
public:
    ScratchKey() = default;
    ScratchKey(const ScratchKey &) = delete;
    ScratchKey &operator=(const ScratchKey &) = delete;
    ~ScratchKey() { Restore(); }

    /* Opens or creates the key and empties it; false when that fails. */
    bool Prepare(HKEY root, const char *path);
    bool SetText(const char *name, const char *text);
    bool SetNumber(const char *name, DWORD number);
    /* Safe to call more than once, and without Prepare. */
    void Restore();

private:
    struct SavedValue {
        std::string       name;
        DWORD             type;
        std::vector<BYTE> data;
    };

    bool SaveValues();
    void DeleteValues();
    void DeleteCreatedKeys();

    HKEY root_ = nullptr;
    HKEY key_ = nullptr;
    std::string path_;
    size_t existingDepth_ = 0; /* how many leading components of path_ existed */
    size_t depth_ = 0;         /* how many components path_ has */
    std::vector<SavedValue> saved_;
};
