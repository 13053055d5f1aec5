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

#define lanes 32

/* The remainders of the 32 lanes, lane l over the bytes [l q, (l + 1) q). */
#if defined(__GNUC__) && defined(__SSE2__)
#include <emmintrin.h>
typedef uint16_t lane_vector __attribute__((vector_size(16)));
typedef int16_t signed_lane_vector __attribute__((vector_size(16)));

/* One step in each of eight lanes at once. */
#define vector_step(v) (v = (v << 1) ^ ((lane_vector)((signed_lane_vector)v >> 15) & poly))
/* Four groups of eight lanes, whose steps are independent, so that each hides the
 * others' latency; the groups are kept in registers. */
#define group_step(v0, v1, v2, v3)                                                                 \
    (vector_step(v0), vector_step(v1), vector_step(v2), vector_step(v3))
#define group_byte(v0, v1, v2, v3)                                                                 \
    do {                                                                                           \
        group_step(v0, v1, v2, v3); group_step(v0, v1, v2, v3);                                    \
        group_step(v0, v1, v2, v3); group_step(v0, v1, v2, v3);                                    \
        group_step(v0, v1, v2, v3); group_step(v0, v1, v2, v3);                                    \
        group_step(v0, v1, v2, v3); group_step(v0, v1, v2, v3);                                    \
    } while (0)
#define load_group(p, q) {p[0], p[q], p[2 * q], p[3 * q], p[4 * q], p[5 * q], p[6 * q], p[7 * q]}

#if !defined(__OPTIMIZE_SIZE__)
/* Eight bytes of each of eight lanes, turned into eight vectors, one per byte place,
 * each byte in the high half of its lane's 16 bits: the rows are interleaved bytewise,
 * then by pairs, then by fours. */
static void transpose_group(const uint8_t *p, uint32_t q, lane_vector out[8])
{
    __m128i r[8], t[4], u[4], w[4];
    const __m128i zero = _mm_setzero_si128();
    for (int l = 0; l < 8; l++)
        r[l] = _mm_loadl_epi64((const __m128i *)(p + (uint32_t)l * q));
    for (int k = 0; k < 4; k++)
        t[k] = _mm_unpacklo_epi8(r[2 * k], r[2 * k + 1]);
    u[0] = _mm_unpacklo_epi16(t[0], t[1]);
    u[1] = _mm_unpackhi_epi16(t[0], t[1]);
    u[2] = _mm_unpacklo_epi16(t[2], t[3]);
    u[3] = _mm_unpackhi_epi16(t[2], t[3]);
    w[0] = _mm_unpacklo_epi32(u[0], u[2]);
    w[1] = _mm_unpackhi_epi32(u[0], u[2]);
    w[2] = _mm_unpacklo_epi32(u[1], u[3]);
    w[3] = _mm_unpackhi_epi32(u[1], u[3]);
    for (int k = 0; k < 4; k++) {
        out[2 * k] = (lane_vector)_mm_unpacklo_epi8(zero, w[k]);
        out[2 * k + 1] = (lane_vector)_mm_unpackhi_epi8(zero, w[k]);
    }
}
#endif

static void lane_remainders(const uint8_t *bytes, uint32_t q, uint16_t lane[lanes])
{
    const lane_vector poly = {polynomial, polynomial, polynomial, polynomial,
                              polynomial, polynomial, polynomial, polynomial};
    lane_vector v0 = {0}, v1 = {0}, v2 = {0}, v3 = {0};
    const uint8_t *p = bytes;
    uint32_t j = 0;
#if !defined(__OPTIMIZE_SIZE__)
    /* Eight byte places at a time, the bytes brought into place by transposing; a build
     * for size (the stubs) gathers them one at a time below instead. */
    for (; j + 8 <= q; j += 8, p += 8) {
        lane_vector a0[8], a1[8], a2[8], a3[8];
        transpose_group(p, q, a0);
        transpose_group(p + 8 * q, q, a1);
        transpose_group(p + 16 * q, q, a2);
        transpose_group(p + 24 * q, q, a3);
        for (int k = 0; k < 8; k++) {
            v0 ^= a0[k];
            v1 ^= a1[k];
            v2 ^= a2[k];
            v3 ^= a3[k];
            group_byte(v0, v1, v2, v3);
        }
    }
#endif
    for (; j < q; j++, p++) {
        const uint8_t *p1 = p + 8 * q, *p2 = p + 16 * q, *p3 = p + 24 * q;
        lane_vector a0 = load_group(p, q), a1 = load_group(p1, q);
        lane_vector a2 = load_group(p2, q), a3 = load_group(p3, q);
        v0 ^= a0 << 8;
        v1 ^= a1 << 8;
        v2 ^= a2 << 8;
        v3 ^= a3 << 8;
        group_byte(v0, v1, v2, v3);
    }
    for (int l = 0; l < 8; l++) {
        lane[l] = v0[l];
        lane[l + 8] = v1[l];
        lane[l + 16] = v2[l];
        lane[l + 24] = v3[l];
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

/* Each level of the join below shifts by twice the bytes of the one before:
 * level_shift[k] is x to the power 8 q 2^k, kept for the q of the last call (blocks
 * mostly have the same length). */
#define levels 5 /* 2^levels = lanes */
static uint32_t shift_q;
static uint16_t level_shift[levels];

uint16_t crc16_of(const uint8_t *bytes, uint32_t length)
{
    /* Lane l takes the bytes [l q, (l + 1) q); their remainders are joined pairwise, the
     * front one of each pair shifted by the bytes of the other, then the tail goes
     * serially. The joins of a level are independent of each other. */
    uint32_t q = length / lanes;
    uint16_t crc = 0;
    if (q != 0) {
        uint16_t lane[lanes];
        lane_remainders(bytes, q, lane);
        if (q != shift_q) {
            level_shift[0] = byte_shift(q);
            for (int k = 1; k < levels; k++)
                level_shift[k] = multiply(level_shift[k - 1], level_shift[k - 1]);
            shift_q = q;
        }
        for (uint32_t k = 0, half = 1; half < lanes; k++, half *= 2)
            for (uint32_t l = 0; l < lanes; l += 2 * half)
                lane[l] = multiply(lane[l], level_shift[k]) ^ lane[l + half];
        crc = lane[0];
    }
    for (uint32_t i = lanes * q; i < length; i++)
        crc = direct_step(crc, bytes[i]);
    return crc;
}
