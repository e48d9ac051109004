/*
 * The machine's settings of the provider that a person trying it, or a test,
 * sets: the remembered logon domain, the policy-update settings, and the
 * NT-style router's provider order.
 */
#pragma once

#include <windows.h>

#include <string>

/* The remembered logon domain; an empty domain deletes it. RememberedDomain
 * answers "<none>" when the value is missing, "<no key>" without the key. */
LONG RememberDomain(const std::string &domain);
std::string RememberedDomain();

/* The policy-update settings: a configured path, the default location, or none. */
LONG ConfigurePolicyPath(const std::string &path);
LONG UseDefaultPolicyPath();
LONG TurnPolicyPathOff();

/* The NT-style router's ProviderOrder; false when it is not there. Writing
 * an empty order deletes it. */
bool ReadProviderOrder(std::string *order);
LONG WriteProviderOrder(const std::string &order);
