/*
 * memcpy and memset for DLLs that link no C library. The code itself copies
 * through include/freestanding.h, but the compiler calls these two
 * by name for block copies and zero-fills it generates on its own (a
 * ZeroMemory, a large aggregate initialised to zero). String instructions keep
 * them short and can never be turned back into a call to themselves.
 */
#include <cstddef>

extern "C" {

void *memcpy(void *destination, const void *source, size_t count)
{
    void *to = destination;
    asm volatile("rep movsb" : "+D"(to), "+S"(source), "+c"(count) : : "memory");
    return destination;
}

void *memset(void *destination, int value, size_t count)
{
    void *to = destination;
    asm volatile("rep stosb" : "+D"(to), "+c"(count) : "a"(value) : "memory");
    return destination;
}

} // extern "C"
