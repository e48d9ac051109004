/*
 * The 32-bit half of a 32-to-16 (LS) flat-thunk connection, as KERNEL32's
 * ThunkConnect32 reads and fills it, and KERNEL32's thunk services that C
 * code calls (the register-based ones are called from assembly only).
 */
#pragma once

#include <windows.h>
#include <cstddef>

#define FLAT_THUNK_LS_MAGIC "LS01"

typedef struct FlatThunkLS32 {
    char   magic[4];          /* "LS01" */
    DWORD  checksum;          /* the same as the 16-bit half's */
    DWORD *targetTable;       /* filled at connection: the 16:16 entry addresses, by target number */
    char   lateBinding[4];
    DWORD  flags;
    DWORD  reserved1;
    DWORD  reserved2;
    DWORD  offsetQTThunk;     /* from the block: 32 bytes the platform fills with the QT_Thunk stub */
    DWORD  offsetFTProlog;    /* from the block: 32 bytes for the FT_Prolog stub */
} FlatThunkLS32;

static_assert(offsetof(FlatThunkLS32, targetTable) == 0x08, "target table at 08");
static_assert(offsetof(FlatThunkLS32, offsetQTThunk) == 0x1C, "QT stub offset at 1C");
static_assert(offsetof(FlatThunkLS32, offsetFTProlog) == 0x20, "FT stub offset at 20");

/* The checksum of the client-call connection, in both halves. */
constexpr DWORD kClientCallChecksum = 0x5A3216A1u;

extern "C" UINT WINAPI ThunkConnect32(void *block, LPCSTR name16, LPCSTR module16, LPCSTR module32,
                                      HINSTANCE instance, DWORD reason);
