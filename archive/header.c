#include "archive/header.h"
#include "archive/archive_file.h"
#include "startup/stops.h"

char message_text[message_text_limit + 1];
char run_after[run_after_limit + 1];
uint8_t password_flag;
uint16_t password_check;

/* A failed read would leave the old byte in place, so a short read stops at once rather
 * than going on with stale bytes. */
static uint8_t read_header_byte(void)
{
    uint8_t byte = 0;
    uint32_t got = 0;
    read_block(&archive_file, &byte, 1, &got);
    if (got != 1)
        report_read_failure();
    return byte;
}

void read_header_string(char *text, uint32_t limit)
{
    uint32_t length = 0;
    for (uint8_t byte = read_header_byte(); byte != 0; byte = read_header_byte()) {
        if (length == limit)
            report_damaged_archive();
        text[length++] = (char)byte;
    }
    text[length] = '\0';
}

void read_password_fields(void)
{
    uint8_t flag = read_header_byte();
    if (flag == 0) {
        password_flag = 0;
        return;
    }
    password_flag = 1;
    uint16_t stored = read_header_byte();
    stored |= (uint16_t)(read_header_byte() << 8);
    password_check = stored ^ (uint16_t)(flag * 257u);
}
