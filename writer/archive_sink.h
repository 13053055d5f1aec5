/* The output side of the archive writer: the header, then the entry sequence through the
 * block writer into the file, with each file's data coded by the entry encoder. The file
 * is written through one buffer; the first write failure is kept and later writes skipped. */
#ifndef QM_ARCHIVE_SINK_H
#define QM_ARCHIVE_SINK_H

#include "startup/decls.h"
#include <stddef.h>
#include <stdint.h>

QM_BEGIN_DECLS

/* Starts after the stub, already written to fd: the header with a recorded size of 0
 * (patched by the caller once the size is known), then the blocks. Returns 0 when the
 * header fields are refused. */
int sink_begin(int fd, const char *message, const char *run_after, const char *password,
               uint32_t password_length);
/* Names and fields of the entry sequence, as they are. */
void sink_sequence(const uint8_t *bytes, size_t count);
/* A file's data, coded. */
void sink_begin_entry_data(int32_t size);
void sink_entry_data(const uint8_t *bytes, size_t count);
/* Returns 0 when fewer bytes than the size were given. */
int sink_end_entry_data(void);
/* Writes the last block; returns the file's length, stub included. */
uint64_t sink_finish(void);
/* The errno of the first failed write, or 0. */
int sink_failed(void);

QM_END_DECLS

#endif
