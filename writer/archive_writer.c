/* The archive writer. First every source is walked, each directory listing sorted
 * bytewise so that the same tree always gives the same bytes, and every name is checked
 * and converted; only then is the output written, to a temporary file that is renamed
 * into place when complete. Files are read and coded in pieces, never held whole. */
#define _GNU_SOURCE
#include "writer/archive_writer.h"
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "archive/archive_file.h"
#include "extract/entry_reader.h"
#include "writer/archive_sink.h"
#include "writer/code_page.h"

#define size_limit 0x7FFFFFFFu /* sizes are signed 32-bit numbers */

typedef struct pack_entry {
    char *path; /* on disk, UTF-8 */
    char *name; /* stored, code page 932 with backslashes; a folder's ends in "\." */
    int folder;
    uint32_t size;
    uint64_t times[3]; /* creation, last access, last write */
} pack_entry;

typedef struct pack_state {
    pack_entry *entries;
    size_t count, capacity;
    uint64_t total;
    char *error;
    size_t error_size;
} pack_state;

static int fail(pack_state *s, const char *format, ...) __attribute__((format(printf, 2, 3)));
static int fail(pack_state *s, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    vsnprintf(s->error, s->error_size, format, args);
    va_end(args);
    return pack_failed;
}

int stored_name_part(const char *utf8, char *out, size_t out_size, char *error, size_t error_size)
{
    size_t n = strlen(utf8);
    for (const char *p = utf8; *p != '\0'; p++) {
        unsigned char c = (unsigned char)*p;
        if (c < 0x20 || strchr("\\/:*?\"<>|", c) != NULL) {
            if (c < 0x20)
                snprintf(error, error_size, "a control character (0x%02X) has no place in a Windows name", c);
            else
                snprintf(error, error_size, "the character '%c' has no place in a Windows name", c);
            return 1;
        }
    }
    if (n == 0 || utf8[n - 1] == '.' || utf8[n - 1] == ' ') {
        snprintf(error, error_size, "Windows drops a name's trailing dot or blank");
        return 1;
    }
    int code = utf8_to_cp932(utf8, n, out, out_size, NULL);
    if (code == EILSEQ) {
        snprintf(error, error_size, "the name has no code page 932 form");
        return 1;
    }
    if (code != 0) {
        snprintf(error, error_size, "the name is longer than %d bytes in code page 932", entry_name_limit);
        return 1;
    }
    return 0;
}

size_t shared_prefix_form(const char *previous, const char *name, uint8_t *out)
{
    size_t shared = 0;
    while (shared < 257 && previous[shared] != '\0' && previous[shared] == name[shared])
        shared++;
    size_t n = strlen(name);
    if (shared > 2) {
        out[0] = shared_prefix_mark;
        out[1] = (uint8_t)(shared - 2);
        memcpy(out + 2, name + shared, n - shared + 1);
        return n - shared + 3;
    }
    memcpy(out, name, n + 1);
    return n + 1;
}

static uint64_t filetime_of(struct timespec t)
{
    /* 100 ns steps since 1601; times before 1601 cannot be stored and become 0 */
    int64_t seconds = (int64_t)t.tv_sec + 11644473600LL;
    if (seconds < 0)
        return 0;
    return (uint64_t)seconds * 10000000u + (uint64_t)t.tv_nsec / 100u;
}

static int add_entry(pack_state *s, const char *path, const char *name, const struct stat *st, int folder)
{
    if (s->count == s->capacity) {
        size_t capacity = s->capacity ? 2 * s->capacity : 64;
        pack_entry *grown = realloc(s->entries, capacity * sizeof *grown);
        if (grown == NULL)
            return fail(s, "out of memory");
        s->entries = grown;
        s->capacity = capacity;
    }
    pack_entry *e = &s->entries[s->count];
    memset(e, 0, sizeof *e);
    e->path = strdup(path);
    e->name = strdup(name);
    if (e->path == NULL || e->name == NULL)
        return fail(s, "out of memory");
    s->count++;
    e->folder = folder;
    if (!folder) {
        if ((uint64_t)st->st_size > size_limit) {
            snprintf(s->error, s->error_size,
                     "%s: %lld bytes; files of 2 GiB (2147483648 bytes) or more cannot be stored",
                     path, (long long)st->st_size);
            return pack_refused;
        }
        e->size = (uint32_t)st->st_size;
        s->total += e->size;
        /* Linux keeps no creation time that survives a copy: the write time stands in. */
        e->times[0] = filetime_of(st->st_mtim);
        e->times[1] = filetime_of(st->st_atim);
        e->times[2] = filetime_of(st->st_mtim);
    }
    return pack_done;
}

/* The stored name of prefix + part (+ "\." for a folder). */
static int join_name(pack_state *s, const char *path, const char *prefix, const char *part, int folder,
                     char *out, size_t out_size)
{
    char stored[4 * entry_name_limit + 1], why[200];
    if (stored_name_part(part, stored, sizeof stored, why, sizeof why) != 0)
        return fail(s, "%s: %s", path, why);
    int n = snprintf(out, out_size, "%s%s%s", prefix, stored, folder ? "\\." : "");
    if (n < 0 || (size_t)n >= out_size || n > entry_name_limit)
        return fail(s, "%s: the stored name is longer than %d bytes", path, entry_name_limit);
    if (!entry_name_safe(out) || entry_is_folder(out) != folder)
        return fail(s, "%s: the name cannot be stored", path);
    return pack_done;
}

static int by_bytes(const void *a, const void *b)
{
    return strcmp(*(char *const *)a, *(char *const *)b);
}

static int walk_folder(pack_state *s, const char *path, const char *prefix);

/* One thing found on disk: a folder (walked) or a regular file. */
static int add_path(pack_state *s, const char *path, const char *prefix, const char *part)
{
    struct stat st;
    if (lstat(path, &st) != 0)
        return fail(s, "%s: %s", path, strerror(errno));
    if (S_ISLNK(st.st_mode)) {
        if (stat(path, &st) != 0)
            return fail(s, "%s: a symbolic link to nothing (%s)", path, strerror(errno));
        if (S_ISDIR(st.st_mode))
            return fail(s, "%s: a symbolic link to a folder is not followed", path);
    }
    if (!S_ISDIR(st.st_mode) && !S_ISREG(st.st_mode))
        return fail(s, "%s: neither a file nor a folder", path);
    char name[entry_name_limit + 8];
    int code = join_name(s, path, prefix, part, S_ISDIR(st.st_mode), name, sizeof name);
    if (code == pack_done)
        code = add_entry(s, path, name, &st, S_ISDIR(st.st_mode));
    if (code != pack_done || !S_ISDIR(st.st_mode))
        return code;
    name[strlen(name) - 1] = '\0'; /* "a\." is the prefix "a\" of what it holds */
    return walk_folder(s, path, name);
}

static int walk_folder(pack_state *s, const char *path, const char *prefix)
{
    DIR *d = opendir(path);
    if (d == NULL)
        return fail(s, "%s: %s", path, strerror(errno));
    char **names = NULL;
    size_t count = 0, capacity = 0;
    int code = pack_done;
    struct dirent *de;
    errno = 0;
    while ((de = readdir(d)) != NULL) {
        if (strcmp(de->d_name, ".") == 0 || strcmp(de->d_name, "..") == 0)
            continue;
        if (count == capacity) {
            capacity = capacity ? 2 * capacity : 32;
            char **grown = realloc(names, capacity * sizeof *grown);
            if (grown == NULL) {
                code = fail(s, "out of memory");
                break;
            }
            names = grown;
        }
        if ((names[count] = strdup(de->d_name)) == NULL) {
            code = fail(s, "out of memory");
            break;
        }
        count++;
    }
    if (code == pack_done && errno != 0)
        code = fail(s, "%s: %s", path, strerror(errno));
    closedir(d);
    if (count > 1)
        qsort(names, count, sizeof *names, by_bytes);
    for (size_t i = 0; i < count && code == pack_done; i++) {
        char *child = NULL;
        if (asprintf(&child, "%s/%s", path, names[i]) < 0)
            code = fail(s, "out of memory");
        else
            code = add_path(s, child, prefix, names[i]);
        free(child);
    }
    for (size_t i = 0; i < count; i++)
        free(names[i]);
    free(names);
    return code;
}

static int add_source(pack_state *s, const char *source)
{
    struct stat st;
    if (stat(source, &st) != 0)
        return fail(s, "%s: %s", source, strerror(errno));
    if (S_ISDIR(st.st_mode))
        return walk_folder(s, source, "");
    /* a file source is stored under its last name */
    size_t n = strlen(source);
    while (n > 1 && source[n - 1] == '/')
        n--;
    const char *base = source + n;
    while (base > source && base[-1] != '/')
        base--;
    char part[4096];
    snprintf(part, sizeof part, "%.*s", (int)(source + n - base), base);
    return add_path(s, source, "", part);
}

/* Names compared as the paths they make: a folder's without its closing "\.". */
static int same_path_order(const pack_entry *a, const pack_entry *b)
{
    size_t na = strlen(a->name) - (a->folder ? 2 : 0), nb = strlen(b->name) - (b->folder ? 2 : 0);
    int c = memcmp(a->name, b->name, na < nb ? na : nb);
    return c != 0 ? c : (na > nb) - (na < nb);
}

static int by_name(const void *a, const void *b)
{
    return same_path_order(*(pack_entry *const *)a, *(pack_entry *const *)b);
}

/* Two sources may give one name (two files of one name, or a file and a folder's part). */
static int find_twins(pack_state *s)
{
    pack_entry **order = malloc((s->count + 1) * sizeof *order);
    if (order == NULL)
        return fail(s, "out of memory");
    for (size_t i = 0; i < s->count; i++)
        order[i] = &s->entries[i];
    qsort(order, s->count, sizeof *order, by_name);
    int code = pack_done;
    for (size_t i = 1; i < s->count && code == pack_done; i++)
        if (same_path_order(order[i - 1], order[i]) == 0)
            code = fail(s, "%s and %s would have the same name", order[i - 1]->path, order[i]->path);
    free(order);
    return code;
}

/* ---- writing ---- */

static int copy_stub(pack_state *s, const char *stub_path, int out)
{
    int in = open(stub_path, O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return fail(s, "stub %s: %s", stub_path, strerror(errno));
    struct stat st;
    if (fstat(in, &st) != 0 || st.st_size != archive_offset) {
        close(in);
        return fail(s, "stub %s: %lld bytes; a stub is exactly %d bytes", stub_path, (long long)st.st_size,
                    (int)archive_offset);
    }
    static uint8_t buffer[archive_offset];
    ssize_t got = read(in, buffer, sizeof buffer);
    close(in);
    if (got != (ssize_t)sizeof buffer)
        return fail(s, "stub %s: cannot be read", stub_path);
    if (write(out, buffer, sizeof buffer) != (ssize_t)sizeof buffer)
        return fail(s, "cannot write the output: %s", strerror(errno));
    return pack_done;
}

static int pack_file_data(pack_state *s, const pack_entry *e, uint64_t *done, const pack_settings *settings)
{
    int fd = open(e->path, O_RDONLY | O_CLOEXEC | O_NOATIME);
    if (fd < 0 && errno == EPERM)
        fd = open(e->path, O_RDONLY | O_CLOEXEC); /* O_NOATIME is only for the owner */
    if (fd < 0)
        return fail(s, "%s: %s", e->path, strerror(errno));
    static uint8_t buffer[65536];
    uint32_t left = e->size;
    sink_begin_entry_data((int32_t)e->size);
    while (left > 0) {
        ssize_t got = read(fd, buffer, left < sizeof buffer ? left : sizeof buffer);
        if (got <= 0) {
            close(fd);
            return fail(s, "%s: %s", e->path, got < 0 ? strerror(errno) : "became shorter while being packed");
        }
        sink_entry_data(buffer, (size_t)got);
        left -= (uint32_t)got;
        *done += (uint64_t)got;
        if (settings->progress != NULL)
            settings->progress(*done, s->total, e->path);
    }
    close(fd);
    if (!sink_end_entry_data())
        return fail(s, "%s: became shorter while being packed", e->path);
    return sink_failed() ? fail(s, "cannot write the output: %s", strerror(sink_failed())) : pack_done;
}

static int write_archive(pack_state *s, int out, const pack_settings *settings)
{
    int code = copy_stub(s, settings->stub_path, out);
    if (code != pack_done)
        return code;
    if (!sink_begin(out, settings->message, settings->run_after, settings->password, settings->password_length))
        return sink_failed() ? fail(s, "%s", strerror(sink_failed())) : fail(s, "the message, program or password is refused");
    const char *previous = "";
    uint64_t done = 0;
    for (size_t i = 0; i < s->count && code == pack_done; i++) {
        const pack_entry *e = &s->entries[i];
        uint8_t stored[entry_name_limit + 4];
        sink_sequence(stored, shared_prefix_form(previous, e->name, stored));
        previous = e->name;
        if (e->folder)
            continue;
        uint8_t fields[28];
        for (int t = 0; t < 3; t++)
            for (int b = 0; b < 8; b++)
                fields[8 * t + b] = (uint8_t)(e->times[t] >> (8 * b));
        for (int b = 0; b < 4; b++)
            fields[24 + b] = (uint8_t)(e->size >> (8 * b));
        sink_sequence(fields, sizeof fields);
        code = pack_file_data(s, e, &done, settings);
    }
    if (code != pack_done)
        return code;
    uint64_t size = sink_finish();
    if (sink_failed())
        return fail(s, "cannot write the output: %s", strerror(sink_failed()));
    if (size > size_limit) {
        snprintf(s->error, s->error_size, "the archive would be %llu bytes; it must stay below 2 GiB",
                 (unsigned long long)size);
        return pack_refused;
    }
    uint8_t recorded[4];
    for (int b = 0; b < 4; b++)
        recorded[b] = (uint8_t)(size >> (8 * b));
    if (pwrite(out, recorded, 4, archive_offset) != 4 || fsync(out) != 0)
        return fail(s, "cannot write the output: %s", strerror(errno));
    return pack_done;
}

static char *volatile unfinished; /* the temporary output while it is written */

void pack_abandon(void)
{
    char *name = unfinished;
    if (name != NULL)
        unlink(name);
}

/* The mode an ordinary new file gets: mkstemp makes its file private. */
static mode_t file_mode(void)
{
    mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

enum pack_result pack_archive(const char *const *sources, int count, const char *output,
                              const pack_settings *settings, char *error, size_t error_size)
{
    pack_state s = {NULL, 0, 0, 0, error, error_size};
    int code = pack_done;
    for (int i = 0; i < count && code == pack_done; i++)
        code = add_source(&s, sources[i]);
    /* An archive holds at least one entry; "." is the destination folder itself. */
    if (code == pack_done)
        code = find_twins(&s);
    if (code == pack_done && s.count == 0) {
        struct stat none;
        memset(&none, 0, sizeof none);
        code = add_entry(&s, ".", ".", &none, 1);
    }
    if (code == pack_done) {
        char *temporary = NULL;
        int out = -1;
        if (asprintf(&temporary, "%s.XXXXXX", output) < 0 || (out = mkstemp(temporary)) < 0) {
            code = fail(&s, "%s: %s", output, strerror(errno));
        } else {
            unfinished = temporary;
            code = write_archive(&s, out, settings);
            if (close(out) != 0 && code == pack_done)
                code = fail(&s, "%s: %s", output, strerror(errno));
            if (code == pack_done && (chmod(temporary, file_mode()) != 0 || rename(temporary, output) != 0))
                code = fail(&s, "%s: %s", output, strerror(errno));
            if (code != pack_done)
                unlink(temporary);
            unfinished = NULL;
        }
        free(temporary);
    }
    for (size_t i = 0; i < s.count; i++) {
        free(s.entries[i].path);
        free(s.entries[i].name);
    }
    free(s.entries);
    return (enum pack_result)code;
}
