#include "writer/block_writer.h"
#include "archive/crc16.h"

int block_writer_start(block_writer *writer, byte_sink out, const char *password, uint32_t password_length)
{
    if (password == 0)
        password_length = 0;
    if (password_length > password_limit)
        return 0;
    for (uint32_t i = 0; i < password_length; i++)
        writer->key_bytes[i] = (uint8_t)password[i];
    writer->key.key = writer->key_bytes;
    writer->key.length = password_length;
    writer->key.index = 0;
    writer->out = out;
    writer->total = 0;
    writer->length = 0;
    return 1;
}

/* The check is of the plain payload; only the payload is keyed. */
static void write_block_out(block_writer *writer)
{
    uint16_t crc = crc16_of(writer->block, writer->length);
    key_stream_run(&writer->key, writer->block, writer->length);
    writer->block[writer->length] = (uint8_t)(crc >> 8);
    writer->block[writer->length + 1] = (uint8_t)crc;
    sink_write(writer->out, writer->block, writer->length + block_check);
    writer->length = 0;
}

void block_writer_put(block_writer *writer, const uint8_t *bytes, size_t count)
{
    writer->total += count;
    while (count != 0) {
        uint32_t room = block_payload - writer->length;
        uint32_t n = count < room ? (uint32_t)count : room;
        for (uint32_t i = 0; i < n; i++)
            writer->block[writer->length + i] = bytes[i];
        writer->length += n;
        bytes += n;
        count -= n;
        if (writer->length == block_payload)
            write_block_out(writer);
    }
}

static void put_into_blocks(void *context, const uint8_t *bytes, size_t count)
{
    block_writer_put(context, bytes, count);
}

byte_sink block_writer_sink(block_writer *writer)
{
    byte_sink sink = {put_into_blocks, writer};
    return sink;
}

void block_writer_finish(block_writer *writer)
{
    if (writer->length != 0)
        write_block_out(writer);
}
