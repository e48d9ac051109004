/*
 * Reaching 16-bit code from 32-bit tools without going through the product:
 * a target of a connected LS block called through the platform's QT_Thunk
 * stub, or on Wine through WOWCallback16Ex, the way ZORN3216 crosses.
 */
#pragma once

#include "flat_thunk.h"

/* A thunk compiler's call path with no arguments through the QT stub of a
 * connected block (qt_stub_call.S); returns AX widened. */
extern "C" DWORD WINAPI CallThroughQtStub(void *stub, DWORD target) asm("_CallThroughQtStub");

/* Whether this is Wine (ntdll exports wine_get_version; Windows 95 has no ntdll). */
bool RunningOnWine();

/* Calls a target with no arguments the way ZORN3216 would cross on this
 * platform; returns the 16-bit result widened, or 0xFFFFFFFF when Wine's
 * WOWCallback16Ex cannot be had. */
DWORD CallTargetBare(const FlatThunkLS32 *block, DWORD target);

/* A 16-bit DLL's exported data, as a flat pointer: LoadLibrary16 and
 * GetProcAddress16 (KERNEL32 ordinals 35 and 37) and MapSL. Null when it
 * cannot be had. The 16-bit DLL stays loaded. */
void *SixteenBitExport(const char *library, const char *name);

/* Starts the platform's 16-bit subsystem in this process, as the first flat
 * thunk would (LoadLibrary16 of GDI.EXE and USER.EXE); on Windows 95 it is
 * always running. False when it cannot be started. */
bool StartSixteenBitSubsystem();
