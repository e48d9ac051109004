/*
 * Provider attach and detach as a process pays it each time it loads and
 * releases the provider after the first: LoadLibraryA and FreeLibrary of
 * ZORNET32.DLL, whose attach opens the thunk connection, maps the shared
 * block and binds the bridge (the bridge and the partners stay loaded);
 * against the same two calls for an empty DLL built as the product is.
 */
#include "bench.h"

namespace {

struct Libraries {
    const char *provider;
    const char *empty;
    bool        failed;
};

void LoadAndFree(const char *name, bool *failed)
{
    HMODULE module = LoadLibraryA(name);
    if (module == nullptr) {
        *failed = true;
        return;
    }
    FreeLibrary(module);
}

void ProviderAttach(void *context)
{
    Libraries *libraries = static_cast<Libraries *>(context);
    LoadAndFree(libraries->provider, &libraries->failed);
}

void EmptyAttach(void *context)
{
    Libraries *libraries = static_cast<Libraries *>(context);
    LoadAndFree(libraries->empty, &libraries->failed);
}

} // namespace

bool RunAttachCases(Report &report)
{
    Libraries libraries = {"ZORNET32.DLL", "BENCHNU1.DLL", false};
    const Comparison attach = Compare("provider_attach_detach", ProviderAttach, EmptyAttach, &libraries);
    if (libraries.failed) {
        Warn("a library failed to load during the attach case");
        return false;
    }
    report.Timing(attach);
    return true;
}
