/* CRC-16/UMTS (polynomial 0x8005, initial value 0, no reflection, no final XOR), in its
 * plain division form: over a message followed by two 0x00 bytes it yields the CRC; over
 * a message followed by its CRC (high byte first) it yields 0. Computed bit by bit. */
#ifndef QM_CRC16_H
#define QM_CRC16_H

#include "startup/decls.h"
#include <stdint.h>

QM_BEGIN_DECLS

/* The register of the block check and the password test. */
extern uint16_t crc_register;

/* Shifts one byte into the register given, most significant bit first. */
uint16_t crc16_step(uint16_t crc, uint8_t byte);

/* Shifts one byte into crc_register. */
void crc16_update(uint8_t byte);

QM_END_DECLS

#endif
