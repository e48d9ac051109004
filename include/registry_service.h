/*
 * QENREGIO as the 16-bit side sees it: the catalogue's items, the operations,
 * the results, the room each answer is given, the layout of the connection
 * table, and the keys the items live under.
 */
#pragma once

#include <windows.h>

/* Results: 0 success, 2 "NO" written, 3 "YES" written, 5 a bad request,
 * anything else the registry's own status. */
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
    ItemMsnp32Provider = 9,        /* set and deleted only: a read of it is a bad request */
};

enum RegistryOperation : int {
    ReadItem = 0,
    SetItem = 1,
    DeleteItem = 2,
};

/* The key of the logon settings (HKEY_LOCAL_MACHINE), and the root of the
 * persistent connections (under it, one key per local name). */
constexpr char kLogonKey[] = "NETWORK\\LOGON";
constexpr char kPersistentKey[] = "NETWORK\\PERSISTENT\\";

/* The room the 16-bit caller provides for an item's answer: 4 bytes for the
 * yes/no items 4 to 6, 1400 for the connection table, 1024 for text. An answer
 * that does not fit is never written (ReadRegistry answers ERROR_MORE_DATA). */
constexpr size_t kYesNoRoom = 4;
constexpr size_t kConnectionsRoom = 1400;
constexpr size_t kTextRoom = 1024;

/* The connection table (item 7): one 40-byte entry per connection, in the
 * order A: to Z: then LPT1 to LPT9, the remote path at offset 9 (30
 * characters at most and the terminator). */
constexpr DWORD kConnectionEntrySize = 40;
constexpr DWORD kRemotePathOffset = 9;
constexpr DWORD kRemotePathSize = 31;
constexpr int kDriveKeys = 26;
constexpr int kPortKeys = 9;
constexpr int kConnectionKeys = kDriveKeys + kPortKeys;
static_assert(kConnectionKeys * kConnectionEntrySize == kConnectionsRoom, "35 entries fill the table");

extern "C" {
LONG WINAPI ReadRegistry(int item, char *data, int length);
LONG WINAPI WriteRegistry(int op, int item, char *data, char *name, char *text);
}
