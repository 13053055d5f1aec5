/* CRC-16/UMTS (polynomial 0x8005, initial value 0, no reflection, no final XOR), in its
 * plain division form: over a message followed by two 0x00 bytes it yields the CRC; over
 * a message followed by its CRC (high byte first) it yields 0. Computed bit by bit. */
#ifndef QM_CRC16_H
#define QM_CRC16_H

#include "startup/decls.h"
#include <stdint.h>

QM_BEGIN_DECLS

/* The register of the password test. */
extern uint16_t crc_register;

/* Shifts one byte into the register given, most significant bit first: the remainder of
 * the message so far followed by this byte, divided by the polynomial. */
uint16_t crc16_step(uint16_t crc, uint8_t byte);

/* Shifts one byte into crc_register. */
void crc16_update(uint8_t byte);

/* The CRC of a whole message: what crc16_step gives over the bytes followed by two 0x00
 * bytes, starting from 0. Still eight steps per byte and no table; the message is cut
 * into lanes worked side by side and joined afterwards, which the bit-serial dependency
 * chain would otherwise forbid. */
uint16_t crc16_of(const uint8_t *bytes, uint32_t length);

QM_END_DECLS

#endif
