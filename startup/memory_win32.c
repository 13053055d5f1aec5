/* The stub links no C runtime; the compiler may still emit calls to these. */
#include <stddef.h>

void *memcpy(void *to, const void *from, size_t n)
{
    unsigned char *d = to;
    const unsigned char *s = from;
    while (n-- > 0)
        *d++ = *s++;
    return to;
}

void *memmove(void *to, const void *from, size_t n)
{
    unsigned char *d = to;
    const unsigned char *s = from;
    if (d < s) {
        while (n-- > 0)
            *d++ = *s++;
    } else {
        while (n-- > 0)
            d[n] = s[n];
    }
    return to;
}

void *memset(void *to, int value, size_t n)
{
    unsigned char *d = to;
    while (n-- > 0)
        *d++ = (unsigned char)value;
    return to;
}

int memcmp(const void *a, const void *b, size_t n)
{
    const unsigned char *x = a, *y = b;
    for (; n > 0; n--, x++, y++)
        if (*x != *y)
            return *x - *y;
    return 0;
}

size_t strlen(const char *s)
{
    size_t n = 0;
    while (s[n] != '\0')
        n++;
    return n;
}
