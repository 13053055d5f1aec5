#include "archive/crc16.h"

uint16_t crc_register;

#define polynomial 0x8005u

uint16_t crc16_step(uint16_t crc, uint8_t byte)
{
    uint32_t wide = crc;
    for (int bit = 7; bit >= 0; bit--) {
        wide = wide << 1 | ((uint32_t)byte >> bit & 1u);
        if (wide & 0x10000u)
            wide ^= 0x10000u | polynomial;
    }
    return (uint16_t)wide;
}

void crc16_update(uint8_t byte)
{
    crc_register = crc16_step(crc_register, byte);
}

/* The direct form: the byte enters at the top of the register, so that the register holds
 * the remainder of the message already followed by its 16 zero bits. */
static uint16_t direct_step(uint16_t crc, uint8_t byte)
{
    crc ^= (uint16_t)(byte << 8);
    for (int bit = 0; bit < 8; bit++)
        crc = (uint16_t)(crc << 1 ^ ((uint16_t)((int16_t)crc >> 15) & polynomial));
    return crc;
}

/* a times b, modulo the polynomial. */
static uint16_t multiply(uint16_t a, uint16_t b)
{
    uint16_t product = 0;
    for (int bit = 15; bit >= 0; bit--) {
        product = (uint16_t)(product << 1 ^ ((uint16_t)((int16_t)product >> 15) & polynomial));
        if (b >> bit & 1u)
            product ^= a;
    }
    return product;
}

/* x to the power 8n, modulo the polynomial: what n bytes of zeros shift a remainder by. */
static uint16_t byte_shift(uint32_t n)
{
    uint16_t result = 1, square = 0x100;
    for (; n != 0; n >>= 1) {
        if (n & 1u)
            result = multiply(result, square);
        square = multiply(square, square);
    }
    return result;
}

#define lanes 16

uint16_t crc16_of(const uint8_t *bytes, uint32_t length)
{
    /* Lane l takes the bytes [l q, (l + 1) q); their remainders are joined by Horner's
     * rule, each shifted by the q bytes that follow it, then the tail goes serially. */
    uint32_t q = length / lanes;
    uint16_t crc = 0;
    if (q != 0) {
        uint16_t lane[lanes] = {0};
        for (uint32_t j = 0; j < q; j++) {
            uint16_t v[lanes];
            for (int l = 0; l < lanes; l++)
                v[l] = lane[l] ^ (uint16_t)(bytes[(uint32_t)l * q + j] << 8);
            for (int bit = 0; bit < 8; bit++)
                for (int l = 0; l < lanes; l++)
                    v[l] = (uint16_t)(v[l] << 1 ^ ((uint16_t)((int16_t)v[l] >> 15) & polynomial));
            for (int l = 0; l < lanes; l++)
                lane[l] = v[l];
        }
        uint16_t shift = byte_shift(q);
        crc = lane[0];
        for (int l = 1; l < lanes; l++)
            crc = multiply(crc, shift) ^ lane[l];
    }
    for (uint32_t i = lanes * q; i < length; i++)
        crc = direct_step(crc, bytes[i]);
    return crc;
}
