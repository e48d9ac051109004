/*
 * Connects one of our 32-bit thunk data blocks with its partner's, in place of
 * the platform's flat-thunk connection, for the two connections on which the
 * 16-bit side calls up (the client calls cross the platform's real thunk). The partner library is loaded by name
 * and never released: like a platform thunk connection it stays for the life
 * of the process.
 */
#include "freestanding.h"
#include "thunk_data.h"

namespace {

/* The connections we make, by the name of the partner's block; our half
 * lists the entries the partner calls. */
struct ThunkConnection {
    const char *peerBlockName;
    DWORD       entriesNeeded;
};

constexpr ThunkConnection kConnections[] = {
    {"zorn1632_ThunkData16", 2}, /* 16-bit services, ZORN1632 -> ZORNET32 */
    {"THK1632_ThunkData16", 1},  /* registry service, QENTHUNK -> QENREGIO */
};

const ThunkConnection *FindConnection(LPCSTR peerBlockName)
{
    if (peerBlockName == nullptr)
        return nullptr;
    for (const ThunkConnection &connection : kConnections)
        if (SameText(connection.peerBlockName, peerBlockName))
            return &connection;
    return nullptr;
}

bool ListsEnough(const ThunkData *half, DWORD needed)
{
    return half->entries != nullptr && half->entryCount >= needed;
}

BOOL Attach(ThunkData *self, LPCSTR peerBlockName, LPCSTR peerLibrary)
{
    const ThunkConnection *connection = FindConnection(peerBlockName);
    if (self == nullptr || connection == nullptr || peerLibrary == nullptr)
        return FALSE;

    HMODULE library = LoadLibraryA(peerLibrary);
    if (library == nullptr)
        return FALSE;

    auto *peer = reinterpret_cast<ThunkData *>(GetProcAddress(library, peerBlockName));
    if (peer == nullptr || peer->signature != THUNK_SIGNATURE || self->signature != THUNK_SIGNATURE ||
        !ListsEnough(self, connection->entriesNeeded)) {
        FreeLibrary(library);
        return FALSE;
    }

    self->peer = peer;
    peer->peer = self;
    return TRUE;
}

BOOL Detach(ThunkData *self)
{
    if (self != nullptr && self->peer != nullptr) {
        self->peer->peer = nullptr;
        self->peer = nullptr;
    }
    return TRUE;
}

} // namespace

extern "C" BOOL WINAPI ConnectThunk(ThunkData *self, LPCSTR peerBlockName, LPCSTR peerLibrary,
                                    LPCSTR /*selfLibrary*/, HINSTANCE /*instance*/, DWORD reason)
{
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        return Attach(self, peerBlockName, peerLibrary);
    case DLL_PROCESS_DETACH:
        return Detach(self);
    default: /* thread attach and detach */
        return self != nullptr && self->peer != nullptr;
    }
}
