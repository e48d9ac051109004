/*
 * The little the three DLLs need of a C library, written once: they link
 * none (see freestanding/). Block copies go through the compiler's builtin,
 * which becomes a few moves for a small constant size and a call to the
 * memcpy that freestanding/ supplies otherwise.
 */
#pragma once

#include <cstddef>

inline void CopyBytes(void *destination, const void *source, size_t count)
{
    __builtin_memcpy(destination, source, count);
}

/* Whether two zero-terminated texts are equal, byte for byte. */
inline bool SameText(const char *a, const char *b)
{
    while (*a != '\0' && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

/* The last occurrence of c in a zero-terminated text, or null. */
inline char *FindLast(char *text, char c)
{
    char *found = nullptr;
    for (; *text != '\0'; ++text)
        if (*text == c)
            found = text;
    return found;
}
