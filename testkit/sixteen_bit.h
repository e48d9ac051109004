/*
 * Reaching 16-bit code from 32-bit tools, the tests, the demo and the
 * console, which play the 32-bit half of the 16-bit stand-ins: their routines
 * are found with LoadLibrary16 and GetProcAddress16 (KERNEL32 ordinals 35 and
 * 37) and called with WOWCallback16Ex, which only Wine has; and a target of a
 * connected LS block called the way ZORN3216 crosses.
 */
#pragma once

#include "flat_thunk.h"
#include "platform.h"

/* A thunk compiler's call path with no arguments through the QT stub of a
 * connected block (qt_stub_call.S); returns AX widened. */
extern "C" DWORD WINAPI CallThroughQtStub(void *stub, DWORD target) asm("_CallThroughQtStub");

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

/* A FAR PASCAL routine exported by a 16-bit DLL: its 16:16 address, 0 when it
 * cannot be had (the DLL stays loaded); and a call of it with the argument
 * image as it lies on the 16-bit stack (false when WOWCallback16Ex cannot be
 * had; *result is its DX:AX). */
DWORD FindSixteenBitRoutine(const char *library, const char *routine);
bool CallSixteenBitAt(DWORD address, const void *image, DWORD bytes, DWORD *result);

/* Calls a FAR PASCAL routine exported by a 16-bit DLL with the argument image
 * as it lies on the 16-bit stack (the last argument lowest). Returns false
 * when the DLL, the routine or WOWCallback16Ex cannot be had; *result is its
 * DX:AX. */
bool CallSixteenBitRoutine(const char *library, const char *routine, const void *image, DWORD bytes,
                           DWORD *result);

/* A far pointer (16:16) to flat memory for 16-bit code, made with MapLS (0:0
 * for a null pointer), and its release. */
DWORD FarPointerTo(void *flat);
void ReleaseFarPointer(DWORD farPointer);

/* What a call of a 16-bit routine answers when it cannot be made. */
constexpr DWORD kNoSixteenBitSide = 0xFFFFFFFFu;

/*
 * QENTHUNK's REQUEST, as the 16-bit side makes a registry request: three
 * 16-bit numbers and three pointers, which cross as far pointers (MapLS;
 * null as 0:0). Returns RegistryRequest's result, or kNoSixteenBitSide.
 */
DWORD QenthunkRequest(SHORT op, SHORT item, LPSTR data, SHORT length, LPSTR name, LPSTR text);
