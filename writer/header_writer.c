#include "writer/header_writer.h"
#include <string.h>
#include "archive/header.h"
#include "archive/password.h"

int32_t header_length(const header_fields *fields)
{
    size_t message = fields->message_text ? strlen(fields->message_text) : 0;
    size_t program = fields->run_after ? strlen(fields->run_after) : 0;
    if (message > message_text_limit || program > run_after_limit)
        return -1;
    int32_t length = (int32_t)(4 + message + 1 + program + 1 + 1);
    if (fields->password != 0) {
        if (fields->password_length == 0 || fields->password_length > password_limit ||
            fields->password_flag == 0)
            return -1;
        length += 2;
    }
    return length;
}

void put_expected_size(uint8_t out[4], uint32_t expected_size)
{
    for (int i = 0; i < 4; i++)
        out[i] = (uint8_t)(expected_size >> (8 * i));
}

static uint32_t put_text(uint8_t *out, const char *text)
{
    uint32_t n = 0;
    if (text != 0)
        for (; text[n] != '\0'; n++)
            out[n] = (uint8_t)text[n];
    out[n] = 0;
    return n + 1;
}

/* The stored check word is the password's CRC XOR the flag byte in both halves. */
int32_t build_header(const header_fields *fields, uint8_t *out, uint32_t capacity)
{
    int32_t length = header_length(fields);
    if (length < 0 || (uint32_t)length > capacity)
        return -1;
    put_expected_size(out, fields->expected_size);
    uint32_t at = 4;
    at += put_text(out + at, fields->message_text);
    at += put_text(out + at, fields->run_after);
    if (fields->password == 0) {
        out[at++] = 0;
    } else {
        uint16_t word = password_crc(fields->password, fields->password_length) ^
                        (uint16_t)(fields->password_flag * 257u);
        out[at++] = fields->password_flag;
        out[at++] = (uint8_t)word;
        out[at++] = (uint8_t)(word >> 8);
    }
    return length;
}
