#include "archive/key_stream.h"

uint8_t key_stream_apply(key_stream *stream, uint8_t byte)
{
    if (stream->length == 0)
        return byte;
    byte ^= stream->key[stream->index];
    if (++stream->index == stream->length)
        stream->index = 0;
    return byte;
}

void key_stream_run(key_stream *stream, uint8_t *bytes, uint32_t count)
{
    if (stream->length == 0)
        return;
    for (uint32_t i = 0; i < count; i++) {
        bytes[i] ^= stream->key[stream->index];
        if (++stream->index == stream->length)
            stream->index = 0;
    }
}
