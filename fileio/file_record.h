/* The one way of touching files: records bound to names, opened with a record size,
 * read and written in whole blocks, with one pending status that only failures write
 * and only take_status clears. No operation stops the program or shows anything. */
#ifndef QM_FILE_RECORD_H
#define QM_FILE_RECORD_H

#include "startup/decls.h"
#include <stdint.h>
#include "fileio/platform_file.h"

QM_BEGIN_DECLS

#define file_name_limit 259 /* bytes of a name kept by assign_file */

enum file_state {
    state_unassigned = 0, /* the zero-filled start */
    state_closed,
    state_open_read,
    state_open_write,
    state_open_read_write
};

enum {
    status_short_read = 100,
    status_short_write = 101,
    status_not_assigned = 102,
    status_not_open = 103
};

typedef struct file_record {
    platform_handle handle;
    uint8_t state;
    uint32_t record_size;
    char name[file_name_limit + 1];
} file_record;

/* Access used by open_existing: 0 read, 1 write, 2 or more read and write. */
extern uint8_t open_mode;

void assign_file(file_record *file, const char *name);
void open_existing(file_record *file, uint32_t record_size);
void create_file(file_record *file, uint32_t record_size);
uint32_t read_block(file_record *file, void *buffer, uint32_t count, uint32_t *out_count);
uint32_t write_block(file_record *file, const void *buffer, uint32_t count, uint32_t *out_count);
void seek_record(file_record *file, uint32_t record);
int32_t file_size(file_record *file);
int at_end(file_record *file);
void close_file(file_record *file);
void erase_file(file_record *file);
void make_folder(const char *path);
void change_folder(const char *path);
uint32_t take_status(void);
platform_handle file_handle(const file_record *file);

QM_END_DECLS

#endif
