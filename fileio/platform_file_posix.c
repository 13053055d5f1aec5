/* The file platform over POSIX. Names arrive as code page 932 bytes with backslashes and
 * are opened as UTF-8 names with slashes; a name that has no UTF-8 form fails with EILSEQ. */
#define _GNU_SOURCE
#include <errno.h>
#include <fcntl.h>
#include <iconv.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <time.h>
#include <unistd.h>

#include "fileio/platform_file.h"
#include "fileio/native_name.h"
#include "fileio/platform_faults.h"
#include "fileio/code_page_932.h"

uint32_t platform_operations;
uint32_t platform_fail_at;
platform_observer platform_observe;

int platform_fault(enum platform_operation kind, platform_handle handle, const char *name)
{
    if (platform_observe)
        platform_observe(kind, handle, name);
    return ++platform_operations == platform_fail_at;
}

static uint32_t error_code(void)
{
    return errno != 0 ? (uint32_t)errno : (uint32_t)EIO;
}

int native_name(const char *name, char *out, size_t out_size)
{
    static iconv_t to_utf8 = (iconv_t)-1;
    if (to_utf8 == (iconv_t)-1) {
        to_utf8 = iconv_open("UTF-8", "CP932");
        if (to_utf8 == (iconv_t)-1)
            return EINVAL;
    }
    iconv(to_utf8, NULL, NULL, NULL, NULL);
    char *in = (char *)name;
    size_t in_left = strlen(name);
    char *at = out;
    size_t out_left = out_size - 1;
    if (iconv(to_utf8, &in, &in_left, &at, &out_left) == (size_t)-1)
        return errno == E2BIG ? ENAMETOOLONG : EILSEQ;
    *at = '\0';
    /* In UTF-8 the byte 0x5C is only ever a backslash, never part of another character. */
    for (char *p = out; *p != '\0'; p++)
        if (*p == '\\')
            *p = '/';
    return 0;
}

#define native_limit 4096

uint32_t platform_open(const char *name, unsigned access, int create_always, platform_handle *handle)
{
    if (platform_fault(create_always ? operation_create : operation_open, 0, name))
        return EIO;
    char path[native_limit];
    int error = native_name(name, path, sizeof path);
    if (error != 0)
        return (uint32_t)error;
    int flags = (access & access_write) ? ((access & access_read) ? O_RDWR : O_WRONLY) : O_RDONLY;
    if (create_always)
        flags |= O_CREAT | O_TRUNC;
    int fd = open(path, flags | O_CLOEXEC, 0666);
    if (fd < 0)
        return error_code();
    struct stat st;
    if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        /* Win32 refuses to open a folder as a file. */
        close(fd);
        return EISDIR;
    }
    *handle = (platform_handle)fd + 1;
    return 0;
}

static int fd_of(platform_handle handle)
{
    return (int)(handle - 1);
}

uint32_t platform_read(platform_handle handle, void *buffer, uint32_t bytes, uint32_t *done)
{
    if (platform_fault(operation_read, handle, 0))
        return EIO;
    uint32_t total = 0;
    while (total < bytes) {
        ssize_t got = read(fd_of(handle), (char *)buffer + total, bytes - total);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return error_code();
        }
        if (got == 0)
            break;
        total += (uint32_t)got;
    }
    *done = total;
    return 0;
}

uint32_t platform_write(platform_handle handle, const void *buffer, uint32_t bytes, uint32_t *done)
{
    if (platform_fault(operation_write, handle, 0))
        return EIO;
    uint32_t total = 0;
    while (total < bytes) {
        ssize_t put = write(fd_of(handle), (const char *)buffer + total, bytes - total);
        if (put < 0) {
            if (errno == EINTR)
                continue;
            return error_code();
        }
        total += (uint32_t)put;
    }
    *done = total;
    return 0;
}

uint32_t platform_seek(platform_handle handle, uint32_t position)
{
    if (platform_fault(operation_seek, handle, 0))
        return EIO;
    return lseek(fd_of(handle), (off_t)position, SEEK_SET) < 0 ? error_code() : 0;
}

uint32_t platform_position(platform_handle handle, uint32_t *position)
{
    if (platform_fault(operation_position, handle, 0))
        return EIO;
    off_t at = lseek(fd_of(handle), 0, SEEK_CUR);
    if (at < 0)
        return error_code();
    *position = (uint32_t)at;
    return 0;
}

uint32_t platform_size(platform_handle handle, uint32_t *size)
{
    if (platform_fault(operation_size, handle, 0))
        return EIO;
    struct stat st;
    if (fstat(fd_of(handle), &st) != 0)
        return error_code();
    *size = (uint32_t)st.st_size; /* the low 32 bits, as Win32 gives them without the high part */
    return 0;
}

uint32_t platform_close(platform_handle handle)
{
    if (platform_fault(operation_close, handle, 0)) {
        close(fd_of(handle)); /* the handle is gone either way, as with CloseHandle */
        return EIO;
    }
    return close(fd_of(handle)) != 0 ? error_code() : 0;
}

uint32_t platform_delete(const char *name)
{
    if (platform_fault(operation_delete, 0, name))
        return EIO;
    char path[native_limit];
    int error = native_name(name, path, sizeof path);
    if (error != 0)
        return (uint32_t)error;
    return unlink(path) != 0 ? error_code() : 0;
}

uint32_t platform_make_folder(const char *path)
{
    if (platform_fault(operation_make_folder, 0, path))
        return EIO;
    char native[native_limit];
    int error = native_name(path, native, sizeof native);
    if (error != 0)
        return (uint32_t)error;
    return mkdir(native, 0777) != 0 ? error_code() : 0;
}

uint32_t platform_change_folder(const char *path)
{
    if (platform_fault(operation_change_folder, 0, path))
        return EIO;
    char native[native_limit];
    int error = native_name(path, native, sizeof native);
    if (error != 0)
        return (uint32_t)error;
    return chdir(native) != 0 ? error_code() : 0;
}

/* FILETIME counts 100 ns from 1601; the Unix epoch is 11644473600 s later. A zero
 * FILETIME leaves that time unchanged, as SetFileTime does. Creation times have no
 * place on POSIX file systems and are passed over. */
static struct timespec unix_time(uint64_t filetime)
{
    struct timespec t;
    if (filetime == 0) {
        t.tv_sec = 0;
        t.tv_nsec = UTIME_OMIT;
        return t;
    }
    const uint64_t ticks = 10000000u;
    const int64_t epoch_gap = 11644473600;
    t.tv_sec = (time_t)((int64_t)(filetime / ticks) - epoch_gap);
    t.tv_nsec = (long)(filetime % ticks) * 100;
    return t;
}

uint32_t platform_set_times(platform_handle handle, const uint64_t times[3])
{
    if (platform_fault(operation_set_times, handle, 0))
        return EIO;
    struct timespec t[2] = {unix_time(times[1]), unix_time(times[2])};
    return futimens(fd_of(handle), t) != 0 ? error_code() : 0;
}

int platform_probe(const char *name, uint32_t *attributes)
{
    if (platform_fault(operation_probe, 0, name))
        return 0;
    char path[native_limit];
    struct stat st;
    if (native_name(name, path, sizeof path) != 0 || path[0] == '\0' || lstat(path, &st) != 0)
        return 0;
    *attributes = S_ISDIR(st.st_mode) ? attribute_folder : 0;
    return 1;
}

const char *platform_char_next(const char *p)
{
    return cp932_char_next(p);
}
