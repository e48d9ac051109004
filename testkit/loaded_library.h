/*
 * A library loaded by name, as the router loads the provider, and freed at
 * the end of the scope; and the product's entries, each found by its name
 * and typed from its public header. The ordinals the router uses are pinned
 * by the .def files and checked by the image audit; nothing else needs them.
 */
#pragma once

#include "client_call.h"
#include "network_provider.h"
#include "registry_service.h"

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
    /* An export by name (a function or data), null when there is none. */
    template <class T> T Export(const char *name) const
    {
        return reinterpret_cast<T>(GetProcAddress(module_, name));
    }

private:
    HMODULE module_;
};

/* The entries of each product DLL, by name. */
#define ZORNET32_ENTRIES(X)                                                                            \
    X(NPGetCaps) X(NPAddConnection) X(NPLogon) X(NPLogoff) X(NPGetHomeDirectory) X(PPChangePassword) \
    X(NPGetPolicyPath) X(PPGetPasswordStatus) X(QENMirevola) X(QENGetUseridPassword) X(DomainLogon)
#define QENREGIO_ENTRIES(X) X(ReadRegistry) X(WriteRegistry)
#define ZORN3216_ENTRIES(X) X(TORVEKThunk)

#define ZOR_ENTRY_FIELD(name) decltype(&::name) name = nullptr;
#define ZOR_ENTRY_FIND(name)                                                                           \
    found &= (name = reinterpret_cast<decltype(&::name)>(GetProcAddress(module, #name))) != nullptr;
#define ZOR_ENTRIES_STRUCT(Struct, LIST)                                                               \
    struct Struct {                                                                                    \
        LIST(ZOR_ENTRY_FIELD)                                                                          \
        Struct() = default;                                                                            \
        /* Every entry of the library, null where it has none; found says whether all were there. */ \
        explicit Struct(HMODULE module) { LIST(ZOR_ENTRY_FIND) }                                       \
        explicit Struct(const LoadedLibrary &library) : Struct(library.Module()) {}                    \
        bool found = true;                                                                             \
    };

ZOR_ENTRIES_STRUCT(ProviderEntries, ZORNET32_ENTRIES)
ZOR_ENTRIES_STRUCT(RegistryServiceEntries, QENREGIO_ENTRIES)
ZOR_ENTRIES_STRUCT(BridgeEntries, ZORN3216_ENTRIES)

#undef ZOR_ENTRIES_STRUCT
#undef ZOR_ENTRY_FIND
#undef ZOR_ENTRY_FIELD
