#pragma once

#include "client_call.h"
#include "thunk_data.h"

extern "C" {
extern ThunkData zorn3216_ThunkData32;

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);
BOOL WINAPI LibMain(DWORD unused);
BOOL WINAPI WEP(void);
DWORD WINAPI TORVEKThunk(LPSTR p1, LPSTR p2, LPSTR p3, LPSTR p4, DWORD p5, DWORD opcode);
}
