/*
 * ZORSETUP.DLL's entries. The setup API calls DllRegisterServer from the
 * INF's RegisterDlls, after the section's CopyFiles and AddReg, and
 * DllUnregisterServer from its UnregisterDlls, after its DelFiles and DelReg.
 * Windows 95's setup knows neither directive, and its INF sections do not
 * name them: it places the provider in its router's order from the INF alone
 * and handles files in use itself.
 */
#include "setup_steps.h"

namespace {

/* Every step runs; the first failure is the answer. */
HRESULT Both(HRESULT first, HRESULT second)
{
    return FAILED(first) ? first : second;
}

} // namespace

extern "C" HRESULT WINAPI DllRegisterServer()
{
    const HRESULT order = AddToProviderOrder();
    return Both(order, ReplaceFilesInUseAtRestart());
}

extern "C" HRESULT WINAPI DllUnregisterServer()
{
    const HRESULT order = RemoveFromProviderOrder();
    return Both(order, DeleteFilesInUseAtRestart());
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID)
{
    return TRUE;
}
