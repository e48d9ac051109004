/*
 * QENREGIO: reads, sets and deletes the items of a fixed catalogue of
 * registry settings for the 16-bit side (registry_service.h: the interface).
 */
#pragma once

#include "registry_service.h"

#include <windows.h>

/* The module's private heap: value buffers of the reads. */
extern HANDLE ServiceHeap;

/* Names are equal when they have the same length and the same bytes once the
 * letters A to Z are mapped to a to z; no other byte is folded. */
bool SameName(const char *a, const char *b);

/* The key an item's value lives under (HKEY_LOCAL_MACHINE), for reads and writes. */
const char *ItemKey(int item);

/* The room the 16-bit caller provides for an item's answer. */
size_t ItemRoom(int item);

