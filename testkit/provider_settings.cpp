#include "provider_settings.h"

#include "network_provider.h"
#include "registry_values.h"

LONG RememberDomain(const std::string &domain)
{
    /* Value names are matched without regard to case: a value left under
     * another spelling would keep that spelling, so start from none. */
    LONG status = DeleteValue(HKEY_LOCAL_MACHINE, kProviderKey, kRememberedDomainValue);
    if (status == ERROR_SUCCESS && !domain.empty())
        status = WriteTextValue(HKEY_LOCAL_MACHINE, kProviderKey, kRememberedDomainValue, domain);
    return status;
}

std::string RememberedDomain()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProviderKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "<no key>";
    RegCloseKey(key);
    std::string domain;
    return ReadTextValue(HKEY_LOCAL_MACHINE, kProviderKey, kRememberedDomainValue, &domain) ? domain : "<none>";
}

LONG ConfigurePolicyPath(const std::string &path)
{
    LONG status = WriteNumberValue(HKEY_LOCAL_MACHINE, kUpdateKey, kUpdateModeValue, 1);
    if (status == ERROR_SUCCESS)
        status = WriteNumberValue(HKEY_LOCAL_MACHINE, kUpdateKey, kUseDefaultLocationValue, 0);
    if (status == ERROR_SUCCESS)
        status = WriteTextValue(HKEY_LOCAL_MACHINE, kUpdateKey, kNetworkPathValue, path);
    return status;
}

LONG UseDefaultPolicyPath()
{
    LONG status = WriteNumberValue(HKEY_LOCAL_MACHINE, kUpdateKey, kUpdateModeValue, 1);
    if (status == ERROR_SUCCESS)
        status = WriteNumberValue(HKEY_LOCAL_MACHINE, kUpdateKey, kUseDefaultLocationValue, 1);
    return status;
}

LONG TurnPolicyPathOff()
{
    return WriteNumberValue(HKEY_LOCAL_MACHINE, kUpdateKey, kUpdateModeValue, 0);
}

bool ReadProviderOrder(std::string *order)
{
    return ReadTextValue(HKEY_LOCAL_MACHINE, kProviderOrderKey, kProviderOrderValue, order);
}

LONG WriteProviderOrder(const std::string &order)
{
    if (order.empty())
        return DeleteValue(HKEY_LOCAL_MACHINE, kProviderOrderKey, kProviderOrderValue);
    return WriteTextValue(HKEY_LOCAL_MACHINE, kProviderOrderKey, kProviderOrderValue, order);
}
