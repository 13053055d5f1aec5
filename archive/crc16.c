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

/* The remainders of the 16 lanes, lane l over the bytes [l q, (l + 1) q). */
#if defined(__GNUC__) && defined(__SSE2__)
typedef uint16_t lane_vector __attribute__((vector_size(16)));
typedef int16_t signed_lane_vector __attribute__((vector_size(16)));

/* One step in each of eight lanes at once. */
#define vector_step(v) (v = (v << 1) ^ ((lane_vector)((signed_lane_vector)v >> 15) & poly))
#define vector_byte(v)                                                                             \
    do {                                                                                           \
        vector_step(v); vector_step(v); vector_step(v); vector_step(v);                            \
        vector_step(v); vector_step(v); vector_step(v); vector_step(v);                            \
    } while (0)

static void lane_remainders(const uint8_t *bytes, uint32_t q, uint16_t lane[lanes])
{
    const lane_vector poly = {polynomial, polynomial, polynomial, polynomial,
                              polynomial, polynomial, polynomial, polynomial};
    lane_vector low = {0}, high = {0};
    const uint8_t *p = bytes;
    for (uint32_t j = 0; j < q; j++, p++) {
        lane_vector a = {p[0], p[q], p[2 * q], p[3 * q], p[4 * q], p[5 * q], p[6 * q], p[7 * q]};
        lane_vector b = {p[8 * q], p[9 * q], p[10 * q], p[11 * q], p[12 * q], p[13 * q], p[14 * q], p[15 * q]};
        low ^= a << 8;
        high ^= b << 8;
        vector_byte(low);
        vector_byte(high);
    }
    for (int l = 0; l < 8; l++) {
        lane[l] = low[l];
        lane[l + 8] = high[l];
    }
}
#else
static void lane_remainders(const uint8_t *bytes, uint32_t q, uint16_t lane[lanes])
{
    for (int l = 0; l < lanes; l++)
        lane[l] = 0;
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
}
#endif

uint16_t crc16_of(const uint8_t *bytes, uint32_t length)
{
    /* Lane l takes the bytes [l q, (l + 1) q); their remainders are joined by Horner's
     * rule, each shifted by the q bytes that follow it, then the tail goes serially. */
    uint32_t q = length / lanes;
    uint16_t crc = 0;
    if (q != 0) {
        uint16_t lane[lanes];
        lane_remainders(bytes, q, lane);
        uint16_t shift = byte_shift(q);
        crc = lane[0];
        for (int l = 1; l < lanes; l++)
            crc = multiply(crc, shift) ^ lane[l];
    }
    for (uint32_t i = lanes * q; i < length; i++)
        crc = direct_step(crc, bytes[i]);
    return crc;
}
