/* The catalogue's keys, the room its answers have, and the name comparison
 * of reads and writes. */
#include "regservice.h"

bool SameName(const char *a, const char *b)
{
    if (a == nullptr || b == nullptr)
        return false;
    for (;; ++a, ++b) {
        char x = *a, y = *b;
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
        if (x == '\0')
            return true;
    }
}

const char *ItemKey(int item)
{
    switch (item) {
    case ItemAuthenticatingAgent:
        return "SYSTEM\\CURRENTCONTROLSET\\SERVICES\\ZORNET32\\NETWORKPROVIDER";
    case ItemComputerName:
        return "SYSTEM\\CURRENTCONTROLSET\\SERVICES\\VXD\\VNETSUP";
    case ItemMsnp32Provider:
        return "SYSTEM\\CURRENTCONTROLSET\\SERVICES\\MSNP32\\NETWORKPROVIDER";
    default: /* items 1, 3 to 6, and every number outside the catalogue */
        return kLogonKey;
    }
}

size_t ItemRoom(int item)
{
    switch (item) {
    case ItemPasswordCaching:
    case ItemFmShare:
    case ItemLmLogon:
        return kYesNoRoom;
    case ItemPersistentConnections:
        return kConnectionsRoom;
    default:
        return kTextRoom;
    }
}
