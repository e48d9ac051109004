/*
 * A library loaded by name, as the router loads the provider, and freed at
 * the end of the scope; its entries are found by ordinal or by name.
 */
#pragma once

#include <windows.h>

class LoadedLibrary {
public:
    explicit LoadedLibrary(const char *name) : module_(LoadLibraryA(name)) {}
    ~LoadedLibrary() { Release(); }
    LoadedLibrary(const LoadedLibrary &) = delete;
    LoadedLibrary &operator=(const LoadedLibrary &) = delete;

    bool Loaded() const { return module_ != nullptr; }
    HMODULE Module() const { return module_; }
    void Release()
    {
        if (module_ != nullptr)
            FreeLibrary(module_);
        module_ = nullptr;
    }
    template <class T> T Export(WORD ordinal) const
    {
        return reinterpret_cast<T>(GetProcAddress(module_, MAKEINTRESOURCEA(ordinal)));
    }
    template <class T> T Export(const char *name) const
    {
        return reinterpret_cast<T>(GetProcAddress(module_, name));
    }

private:
    HMODULE module_;
};
