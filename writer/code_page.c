#include "writer/code_page.h"
#include "fileio/code_page_932.h"
#include <errno.h>
#include <iconv.h>
#include <stdio.h>
#include <string.h>

static int convert(const char *to, const char *from, const char *in, size_t in_length, char *out,
                   size_t out_size, size_t *out_length)
{
    if (out_size == 0)
        return E2BIG;
    iconv_t cd = iconv_open(to, from);
    if (cd == (iconv_t)-1)
        return EINVAL;
    char *src = (char *)in;
    char *dst = out;
    size_t left = out_size - 1;
    size_t result = iconv(cd, &src, &in_length, &dst, &left);
    int error = result == (size_t)-1 ? (errno == E2BIG ? E2BIG : EILSEQ) : 0;
    iconv_close(cd);
    *dst = '\0';
    if (out_length != NULL)
        *out_length = (size_t)(dst - out);
    return error;
}

int utf8_to_cp932(const char *in, size_t in_length, char *out, size_t out_size, size_t *out_length)
{
    return convert("CP932", "UTF-8", in, in_length, out, out_size, out_length);
}

int cp932_to_utf8(const char *in, size_t in_length, char *out, size_t out_size, size_t *out_length)
{
    return convert("UTF-8", "CP932", in, in_length, out, out_size, out_length);
}

void cp932_for_display(const char *in, char *out, size_t out_size, int slashes)
{
    size_t used = 0;
    out[0] = '\0';
    while (*in != '\0' && used + 1 < out_size) {
        unsigned char lead = (unsigned char)*in;
        size_t n = (size_t)(cp932_char_next(in) - in);
        char piece[8];
        size_t got = 0;
        if (n == 1 && lead < 0x80) {
            piece[0] = (slashes && lead == '\\') ? '/' : (char)lead;
            got = 1;
        } else if (cp932_to_utf8(in, n, piece, sizeof piece, &got) != 0) {
            got = (size_t)snprintf(piece, sizeof piece, "\\x%02X", lead);
            n = 1;
        }
        if (used + got >= out_size)
            break;
        memcpy(out + used, piece, got);
        used += got;
        in += n;
    }
    out[used] = '\0';
}
