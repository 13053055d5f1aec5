#include "archive/password.h"
#include "archive/crc16.h"
#include "archive/header.h"

char accepted_password[password_limit + 1];
key_stream archive_key = {(const uint8_t *)accepted_password, 0, 0};

uint16_t password_crc(const char *text, uint32_t length)
{
    crc_register = 0;
    for (uint32_t i = 0; i < length; i++)
        crc16_update((uint8_t)text[i]);
    crc16_update(0);
    crc16_update(0);
    return crc_register;
}

int check_password(const char *typed, uint32_t length)
{
    if (length > password_limit || password_crc(typed, length) != password_check)
        return 0;
    for (uint32_t i = 0; i < length; i++)
        accepted_password[i] = typed[i];
    accepted_password[length] = '\0';
    archive_key.key = (const uint8_t *)accepted_password;
    archive_key.length = length;
    archive_key.index = 0;
    return 1;
}
