/* File records and the pending-status rule, over whichever platform backend is linked. */
#include "fileio/file_record.h"

uint8_t open_mode = 2;
static uint32_t io_status;

/* Only failures write the status; a later failure replaces an earlier one. */
static void fail(uint32_t code)
{
    if (code != 0)
        io_status = code;
}

static int is_open(const file_record *file)
{
    return file->state == state_open_read || file->state == state_open_write ||
           file->state == state_open_read_write;
}

void assign_file(file_record *file, const char *name)
{
    uint32_t i = 0;
    while (i < file_name_limit && name[i] != '\0') {
        file->name[i] = name[i];
        i++;
    }
    file->name[i] = '\0';
    file->state = state_closed;
    file->handle = 0;
}

static void open_record(file_record *file, uint32_t record_size, unsigned access, int create_always,
                        uint8_t open_state)
{
    if (file->state == state_unassigned) {
        fail(status_not_assigned);
        return;
    }
    if (is_open(file))
        close_file(file);
    file->record_size = record_size;
    uint32_t error = platform_open(file->name, access, create_always, &file->handle);
    if (error != 0) {
        file->state = state_closed;
        fail(error);
        return;
    }
    file->state = open_state;
}

void open_existing(file_record *file, uint32_t record_size)
{
    if (open_mode == 0)
        open_record(file, record_size, access_read, 0, state_open_read);
    else if (open_mode == 1)
        open_record(file, record_size, access_write, 0, state_open_write);
    else
        open_record(file, record_size, access_read | access_write, 0, state_open_read_write);
}

void create_file(file_record *file, uint32_t record_size)
{
    open_record(file, record_size, access_read | access_write, 1, state_open_read_write);
}

/* The records a transfer moved, as both block operations report them: with an out-count
 * a short transfer is no failure; without one it writes short_status and gives 0. */
static uint32_t transferred(const file_record *file, uint32_t error, uint32_t bytes, uint32_t count,
                            uint32_t *out_count, uint32_t short_status)
{
    if (error != 0) {
        fail(error);
        return 0;
    }
    uint32_t records = bytes / file->record_size;
    if (out_count != 0) {
        *out_count = records;
        return records;
    }
    if (records != count) {
        fail(short_status);
        return 0;
    }
    return records;
}

uint32_t read_block(file_record *file, void *buffer, uint32_t count, uint32_t *out_count)
{
    if (!is_open(file)) {
        fail(status_not_open);
        return 0;
    }
    uint32_t bytes = 0;
    uint32_t error = platform_read(file->handle, buffer, count * file->record_size, &bytes);
    return transferred(file, error, bytes, count, out_count, status_short_read);
}

uint32_t write_block(file_record *file, const void *buffer, uint32_t count, uint32_t *out_count)
{
    if (file->state != state_open_write && file->state != state_open_read_write) {
        fail(status_not_open);
        return 0;
    }
    uint32_t bytes = 0;
    uint32_t error = platform_write(file->handle, buffer, count * file->record_size, &bytes);
    return transferred(file, error, bytes, count, out_count, status_short_write);
}

void seek_record(file_record *file, uint32_t record)
{
    if (!is_open(file)) {
        fail(status_not_open);
        return;
    }
    fail(platform_seek(file->handle, record * file->record_size));
}

int32_t file_size(file_record *file)
{
    if (!is_open(file)) {
        fail(status_not_open);
        return -1;
    }
    uint32_t size = 0;
    uint32_t error = platform_size(file->handle, &size);
    if (error != 0) {
        fail(error);
        return -1;
    }
    return (int32_t)(size / file->record_size);
}

int at_end(file_record *file)
{
    if (!is_open(file)) {
        fail(status_not_open);
        return 1;
    }
    uint32_t size = 0, position = 0;
    uint32_t error = platform_size(file->handle, &size);
    if (error == 0)
        error = platform_position(file->handle, &position);
    if (error != 0) {
        fail(error);
        return 1;
    }
    return position >= size;
}

void close_file(file_record *file)
{
    if (!is_open(file)) {
        fail(status_not_open);
        return;
    }
    file->state = state_closed;
    fail(platform_close(file->handle));
}

void erase_file(file_record *file)
{
    if (file->state == state_unassigned) {
        fail(status_not_assigned);
        return;
    }
    fail(platform_delete(file->name));
}

void make_folder(const char *path)
{
    fail(platform_make_folder(path));
}

void change_folder(const char *path)
{
    fail(platform_change_folder(path));
}

uint32_t take_status(void)
{
    uint32_t status = io_status;
    io_status = 0;
    return status;
}

platform_handle file_handle(const file_record *file)
{
    return file->handle;
}
