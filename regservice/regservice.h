/*
 * QENREGIO: reads, sets and deletes the items of a fixed catalogue of
 * registry settings for the 16-bit side. Results: 0 success, 2 "NO" written,
 * 3 "YES" written, 5 a bad request, anything else the registry's own status.
 */
#pragma once

#include <windows.h>


enum RegistryResult : LONG {
    ResultNo = 2,
    ResultYes = 3,
    ResultBadRequest = 5,
};

enum CatalogueItem : int {
    ItemUserName = 1,
    ItemAuthenticatingAgent = 2,
    ItemDomains = 3,
    ItemPasswordCaching = 4,
    ItemFmShare = 5,
    ItemLmLogon = 6,
    ItemPersistentConnections = 7,
    ItemComputerName = 8,
    ItemMsnp32Provider = 9,
};

enum RegistryOperation : int {
    ReadItem = 0,
    SetItem = 1,
    DeleteItem = 2,
};

/* The key of the logon settings, and the root of the persistent connections. */
constexpr char kLogonKey[] = "NETWORK\\LOGON";
constexpr char kPersistentKey[] = "NETWORK\\PERSISTENT\\";

/* The module's private heap: value buffers of the reads. */
extern HANDLE ServiceHeap;

/* Names are equal when they have the same length and the same bytes once the
 * letters A to Z are mapped to a to z; no other byte is folded. */
bool SameName(const char *a, const char *b);

/* The key an item's value lives under (HKEY_LOCAL_MACHINE), for reads and writes. */
const char *ItemKey(int item);

/* The room the 16-bit caller provides for an item's answer: 4 bytes for the
 * yes/no items 4 to 6, 1400 for the connection table, 1024 for text. An answer
 * that does not fit is never written (ReadRegistry answers ERROR_MORE_DATA). */
constexpr size_t kYesNoRoom = 4;
constexpr size_t kConnectionsRoom = 1400;
constexpr size_t kTextRoom = 1024;
size_t ItemRoom(int item);

extern "C" {
LONG WINAPI ReadRegistry(int item, char *data, int length);
LONG WINAPI WriteRegistry(int op, int item, char *data, char *name, char *text);
}
