/*
 * Copies of zero-terminated text into fixed-size buffers. Nothing is ever
 * written past a buffer, and nothing is read past the bound a caller gives.
 */
#pragma once

#include <cstddef>

/* Length of text, looking at no more than limit bytes; limit when no terminator lies within them. */
inline size_t BoundedLength(const char *text, size_t limit)
{
    size_t length = 0;
    while (length < limit && text[length] != '\0')
        ++length;
    return length;
}

/*
 * Copies text with its terminator into dest (size bytes) when it fits whole and
 * returns true. A text that does not fit, or a null text, leaves dest untouched
 * and returns false: a cut string could name something else.
 */
inline bool CopyWhole(char *dest, size_t size, const char *text)
{
    if (text == nullptr || size == 0)
        return false;
    const size_t length = BoundedLength(text, size);
    if (length == size)
        return false;
    for (size_t i = 0; i < length; ++i)
        dest[i] = text[i];
    dest[length] = '\0';
    return true;
}

template <size_t N>
inline bool CopyWhole(char (&dest)[N], const char *text)
{
    return CopyWhole(dest, N, text);
}

/*
 * Stores text in a field that other readers rely on: the whole text when it
 * fits with its terminator, otherwise an empty field. Neither a cut value nor a
 * stale one is left behind. Returns whether the text was stored.
 */
template <size_t N>
inline bool StoreWhole(char (&field)[N], const char *text)
{
    if (CopyWhole(field, N, text))
        return true;
    field[0] = '\0';
    return false;
}

/* Length of a string that may be a null pointer. */
inline size_t LengthOf(const char *text)
{
    size_t length = 0;
    if (text != nullptr)
        while (text[length] != '\0')
            ++length;
    return length;
}

/*
 * Copies a fixed-width field out, never reading past the field even when the
 * writer left it without its terminator, and never writing more than the
 * field's width: at most N - 1 characters and the terminator.
 */
template <size_t N>
inline void CopyFieldOut(char *dest, const char (&field)[N])
{
    if (dest == nullptr)
        return;
    const size_t length = BoundedLength(field, N - 1);
    for (size_t i = 0; i < length; ++i)
        dest[i] = field[i];
    dest[length] = '\0';
}
