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

#define FLAT_THUNK_SL_MAGIC "SL01"

/* The 32-bit half of a 16-to-32 (SL) connection. */
typedef struct FlatThunkSL32 {
    char   magic[4];          /* "SL01" */
    DWORD  checksum;
    DWORD  reserved1;
    void  *data;              /* filled at connection: the 16-bit half's shared data */
    char   lateBinding[4];
    DWORD  flags;
    DWORD  reserved2;
    DWORD  reserved3;
    DWORD  offsetTargetTable; /* where the flat addresses of the targets are (see SetTargetTableOffset) */
} FlatThunkSL32;

static_assert(offsetof(FlatThunkSL32, data) == 0x0C, "data at 0C");
static_assert(offsetof(FlatThunkSL32, offsetTargetTable) == 0x20, "target table offset at 20");

/*
 * Windows 95 counts the target table's offset from the block. Wine counts it
 * from the name of the 16-bit block handed to ThunkConnect32; on Wine the
 * offset is set so that it leads there from that name.
 */
inline void SetTargetTableOffset(FlatThunkSL32 *block, const void *table, const char *name16, bool wine)
{
    const BYTE *from = wine ? reinterpret_cast<const BYTE *>(name16) : reinterpret_cast<const BYTE *>(block);
    block->offsetTargetTable = static_cast<DWORD>(static_cast<const BYTE *>(table) - from);
}

/* The 16-bit caller's arguments, as an SL target finds them: the last pushed
 * 16-bit word at frame + 0x16, the others above it. */
constexpr DWORD kSixteenBitArguments = 0x16;

extern "C" void *WINAPI MapSLFix(DWORD farPointer);
extern "C" void WINAPI UnMapSLFixArray(DWORD count, DWORD *farPointers);

/* The checksums of the connections, in both halves. */
constexpr DWORD kServicesChecksum = 0x5A1632A2u;
constexpr DWORD kRegistryChecksum = 0x51E6A0A3u;

/* The checksum of the client-call connection, in both halves. */
constexpr DWORD kClientCallChecksum = 0x5A3216A1u;

extern "C" UINT WINAPI ThunkConnect32(void *block, LPCSTR name16, LPCSTR module16, LPCSTR module32,
                                      HINSTANCE instance, DWORD reason);
