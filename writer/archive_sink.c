#include "writer/archive_sink.h"
#include <errno.h>
#include <stdlib.h>
#include <unistd.h>
#include "archive/archive_file.h"
#include "archive/header.h"
#include "writer/block_writer.h"
#include "writer/entry_encoder.h"
#include "writer/header_writer.h"

static int out_fd = -1;
static int out_error;
static uint64_t out_length;
static uint8_t out_buffer[1 << 16];
static size_t out_used;
static block_writer blocks;
static entry_encoder *encoder; /* large: allocated once, kept for the process */

static void flush_file(void)
{
    size_t at = 0;
    while (at < out_used && out_error == 0) {
        ssize_t n = write(out_fd, out_buffer + at, out_used - at);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            out_error = n < 0 ? errno : EIO;
        else
            at += (size_t)n;
    }
    out_used = 0;
}

static void put_file(void *context, const uint8_t *bytes, size_t count)
{
    (void)context;
    out_length += count;
    while (count > 0) {
        size_t room = sizeof out_buffer - out_used;
        size_t n = count < room ? count : room;
        for (size_t i = 0; i < n; i++)
            out_buffer[out_used + i] = bytes[i];
        out_used += n;
        bytes += n;
        count -= n;
        if (out_used == sizeof out_buffer)
            flush_file();
    }
}

int sink_begin(int fd, const char *message, const char *run_after, const char *password,
               uint32_t password_length)
{
    out_fd = fd;
    out_error = 0;
    out_used = 0;
    out_length = (uint64_t)archive_offset;
    if (encoder == NULL && (encoder = malloc(sizeof *encoder)) == NULL) {
        out_error = ENOMEM;
        return 0;
    }
    /* Any flag byte but 0 marks protection; 1 is as good as any. */
    header_fields fields = {0, message, run_after, password, password_length, 1};
    static uint8_t header[4 + message_text_limit + 1 + run_after_limit + 1 + 3];
    int32_t length = build_header(&fields, header, sizeof header);
    if (length < 0)
        return 0;
    byte_sink file = {put_file, 0};
    sink_write(file, header, (size_t)length);
    return block_writer_start(&blocks, file, password, password ? password_length : 0);
}

void sink_sequence(const uint8_t *bytes, size_t count)
{
    block_writer_put(&blocks, bytes, count);
}

void sink_begin_entry_data(int32_t size)
{
    entry_encoder_start(encoder, (uint32_t)size, block_writer_sink(&blocks));
}

void sink_entry_data(const uint8_t *bytes, size_t count)
{
    entry_encoder_feed(encoder, bytes, count);
}

int sink_end_entry_data(void)
{
    return entry_encoder_finish(encoder);
}

uint64_t sink_finish(void)
{
    block_writer_finish(&blocks);
    flush_file();
    return out_length;
}

int sink_failed(void)
{
    return out_error;
}
