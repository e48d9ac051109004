/*
 * Text handed back to the router. The router passes a pointer to its buffer's
 * size; when it does, nothing is written past that size: an answer that does
 * not fit leaves the buffer as it was, reports the size it needs and returns
 * ERROR_MORE_DATA, as the router's other providers do. Without a size the
 * answer is copied whole.
 */
#pragma once

#include "bounded_text.h"

#include <windows.h>

inline DWORD DeliverToRouter(LPSTR buffer, LPDWORD size, LPCSTR text)
{
    const DWORD needed = static_cast<DWORD>(LengthOf(text) + 1);
    if (size != nullptr && *size < needed) {
        *size = needed;
        return ERROR_MORE_DATA;
    }
    lstrcpynA(buffer, text, static_cast<int>(needed));
    return 0;
}

/* Makes the router's buffer an empty string, if it has room for one. */
inline void ClearRouterBuffer(LPSTR buffer, LPDWORD size)
{
    if (buffer != nullptr && (size == nullptr || *size > 0))
        buffer[0] = '\0';
}
