/*
 * What ZORSETUP.DLL does for the INF's NT-style sections, one step per
 * concern; each answers S_OK or the failure as an HRESULT.
 */
#pragma once

#include <windows.h>

/* The provider's place in the NT-style router's ProviderOrder (provider_order.cpp). */
HRESULT AddToProviderOrder();
HRESULT RemoveFromProviderOrder();

/* The copies and deletions a running program's hold kept the setup API from
 * making, done at the next restart instead (files_in_use.cpp). */
HRESULT ReplaceFilesInUseAtRestart();
HRESULT DeleteFilesInUseAtRestart();
