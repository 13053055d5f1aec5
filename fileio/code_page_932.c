#include "fileio/code_page_932.h"

int cp932_is_lead_byte(unsigned char byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

const char *cp932_char_next(const char *p)
{
    if (p[0] == '\0')
        return p;
    return cp932_is_lead_byte((unsigned char)p[0]) && p[1] != '\0' ? p + 2 : p + 1;
}
