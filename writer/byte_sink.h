/* Where the writer's pieces send their bytes: the encoder into the block writer, the block
 * writer into the archive file. */
#ifndef QM_BYTE_SINK_H
#define QM_BYTE_SINK_H

#include "startup/decls.h"
#include <stddef.h>
#include <stdint.h>

QM_BEGIN_DECLS

typedef struct byte_sink {
    void (*write)(void *context, const uint8_t *bytes, size_t count);
    void *context;
} byte_sink;

static inline void sink_write(byte_sink sink, const uint8_t *bytes, size_t count)
{
    if (count != 0)
        sink.write(sink.context, bytes, count);
}

QM_END_DECLS

#endif
