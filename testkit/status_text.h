/*
 * What the numbers that the provider and the client answer mean, in words a
 * person can act on.
 */
#pragma once

#include <windows.h>

#include <string>

/* "1223: cancelled by the user" */
std::string DescribeStatus(DWORD status);
