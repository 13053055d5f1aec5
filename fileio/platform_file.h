/* The platform beneath the file-access component: one backend over Win32, one over
 * POSIX. Every call returns 0 on success or the platform's error code; the component
 * above turns those codes into the pending status. Names are code page 932 bytes with
 * backslashes; the POSIX backend maps them to UTF-8 names with slashes. */
#ifndef QM_PLATFORM_FILE_H
#define QM_PLATFORM_FILE_H

#include "startup/decls.h"
#include <stdint.h>

QM_BEGIN_DECLS

typedef uintptr_t platform_handle;

enum {
    access_read = 1,
    access_write = 2
};

/* Attribute bit of a probe result, as Win32 reports a folder. */
#define attribute_folder 0x10u

uint32_t platform_open(const char *name, unsigned access, int create_always, platform_handle *handle);
uint32_t platform_read(platform_handle handle, void *buffer, uint32_t bytes, uint32_t *done);
uint32_t platform_write(platform_handle handle, const void *buffer, uint32_t bytes, uint32_t *done);
uint32_t platform_seek(platform_handle handle, uint32_t position);
uint32_t platform_position(platform_handle handle, uint32_t *position);
uint32_t platform_size(platform_handle handle, uint32_t *size);
uint32_t platform_close(platform_handle handle);
uint32_t platform_delete(const char *name);
uint32_t platform_make_folder(const char *path);
uint32_t platform_change_folder(const char *path);

/* Creation, last access and last write time, as FILETIME values. */
uint32_t platform_set_times(platform_handle handle, const uint64_t times[3]);

/* Looks a name up as FindFirstFileA does: 1 and its attributes when something of that
 * name exists (file or folder), 0 when nothing is found. */
int platform_probe(const char *name, uint32_t *attributes);

/* The start of the next character (CharNextA): a code page 932 lead byte followed by a
 * byte other than NUL forms one character of two bytes; at the NUL it stays put. */
const char *platform_char_next(const char *p);

QM_END_DECLS

#endif
