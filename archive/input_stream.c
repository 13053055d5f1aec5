#include "archive/input_stream.h"
#include "archive/archive_file.h"
#include "archive/crc16.h"
#include "archive/header.h"
#include "archive/password.h"
#include "startup/stops.h"

uint8_t end_of_archive;

static uint8_t block[block_size];
static int32_t block_length; /* payload bytes in block */
static uint32_t consumed;    /* payload bytes handed out; modulo 4096 the next index */

void reset_input_stream(void)
{
    consumed = 0;
    block_length = 0;
    end_of_archive = 0;
    archive_key.index = 0;
}

/* A short read is the last block. The block is freed of the key and checked whole: its
 * payload's CRC must equal the two check bytes, which is the same as a remainder of 0
 * over all of them. Fewer than two bytes carry no check; they are divided as they are. */
static void read_next_block(void)
{
    uint32_t got = 0;
    read_block(&archive_file, block, block_size, &got);
    int32_t payload = (int32_t)got - block_check;
    uint16_t remainder = 0;
    if (payload >= 0) {
        if (password_flag)
            key_stream_run(&archive_key, block, (uint32_t)payload);
        uint16_t check = (uint16_t)(block[payload] << 8 | block[payload + 1]);
        remainder = crc16_of(block, (uint32_t)payload) ^ check;
    } else {
        for (uint32_t j = 0; j < got; j++)
            remainder = crc16_step(remainder, block[j]);
    }
    if (remainder != 0)
        report_damaged_archive();
    block_length = payload;
}

/* Whether the file ends after the block in hand. A failed query is a failure to read the
 * archive: left pending, it would surface at the next status taken, as some other stop,
 * and taken for the end it would end the run early as if it were complete. */
static int archive_ends_here(void)
{
    int end = at_end(&archive_file);
    if (take_status() != 0)
        report_read_failure();
    return end;
}

static uint32_t next_index(void)
{
    return consumed % block_payload;
}

uint8_t read_byte(void)
{
    uint32_t i = next_index();
    if (i == 0)
        read_next_block();
    if ((int32_t)i >= block_length)
        report_read_failure();
    if ((int32_t)i == block_length - 1 && archive_ends_here())
        end_of_archive = 1;
    consumed++;
    return block[i];
}

const uint8_t *stream_bytes(uint32_t *available)
{
    uint32_t i = next_index();
    *available = (i != 0 && (int32_t)i < block_length) ? (uint32_t)block_length - i : 0;
    return block + i;
}

void stream_take(uint32_t count)
{
    if (count == 0)
        return;
    uint32_t last = next_index() + count - 1;
    if ((int32_t)last == block_length - 1 && archive_ends_here())
        end_of_archive = 1;
    consumed += count;
}

uint32_t read_u32(void)
{
    uint32_t value = 0;
    for (int i = 0; i < 4; i++)
        value |= (uint32_t)read_byte() << (8 * i);
    return value;
}

uint64_t read_u64(void)
{
    uint64_t value = 0;
    for (int i = 0; i < 8; i++)
        value |= (uint64_t)read_byte() << (8 * i);
    return value;
}
