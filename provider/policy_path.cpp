/*
 * NPGetPolicyPath: where the system policy file lies, from the machine's
 * policy-update settings: a configured path, or CONFIG.POL in the NETLOGON
 * share of the logon server that the client names.
 */
#include "bounded_text.h"
#include "registry_scan.h"
#include "router_buffers.h"

namespace {

constexpr char kPolicyFile[] = "\\NETLOGON\\CONFIG.POL";

/* Scans the policy-update settings. Only the first data byte decides a
 * switch, whatever the value's type. A NetworkPath that does not fit
 * networkPath is ignored rather than cut into another path. Returns 1 when
 * UpdateMode is 1. */
BOOL ReadUpdatePolicy(char (&networkPath)[256])
{
    provider.useDefaultNetLocationSeen = 0;
    provider.useDefaultNetLocationOn = 0;
    networkPath[0] = '\0';
    BOOL updateMode = 0;
    ScanValues(kUpdateKey, [&](const char *name, const BYTE *data) {
        if (SameValueName(name, kUpdateModeValue)) {
            if (data[0] == 1)
                updateMode = 1;
        } else if (SameValueName(name, kUseDefaultLocationValue)) {
            provider.useDefaultNetLocationSeen = 1;
            if (data[0] == 1)
                provider.useDefaultNetLocationOn = 1;
        } else if (SameValueName(name, kNetworkPathValue)) {
            StoreWhole(networkPath, reinterpret_cast<const char *>(data));
        }
    });
    return updateMode;
}

} // namespace

extern "C" DWORD WINAPI NPGetPolicyPath(LPSTR path, LPDWORD size, DWORD /*flags*/)
{
    provider.networkPath[0] = '\0';
    ClearRouterBuffer(path, size);
    char server[20] = "";

    if (!ReadUpdatePolicy(provider.networkPath))
        return ERROR_NOT_SUPPORTED;

    if (provider.useDefaultNetLocationSeen && !provider.useDefaultNetLocationOn) {
        if (provider.networkPath[0] == '\0')
            return ERROR_NOT_SUPPORTED;
        return DeliverToRouter(path, size, provider.networkPath);
    }

    if (provider.dispatcher == nullptr)
        return ERROR_NOT_SUPPORTED;
    const DWORD status = provider.dispatcher(server, nullptr, nullptr, nullptr, kClientCallValue,
                                             ClientGetLogonServer);
    if (server[0] != '\\' || server[1] != '\\')
        return ERROR_NOT_SUPPORTED;

    char defaultPath[sizeof(server) + sizeof(kPolicyFile)];
    const size_t serverLength = BoundedLength(server, sizeof(server) - 1);
    lstrcpynA(defaultPath, server, static_cast<int>(serverLength + 1));
    lstrcatA(defaultPath, kPolicyFile);
    const DWORD delivered = DeliverToRouter(path, size, defaultPath);
    return delivered != 0 ? delivered : status;
}
