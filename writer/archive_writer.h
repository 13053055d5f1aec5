/* The archive writer: files and folders into an archive behind a stub, giving a
 * self-extracting program. Everything is checked and named before the first byte is
 * written, and the output appears under its name only when it is complete. */
#ifndef QM_ARCHIVE_WRITER_H
#define QM_ARCHIVE_WRITER_H

#include "startup/decls.h"
#include <stddef.h>
#include <stdint.h>

QM_BEGIN_DECLS

typedef struct pack_settings {
    const char *stub_path;      /* the stub, exactly archive_offset bytes */
    const char *message;        /* code page 932, NUL-terminated; "" for none */
    const char *run_after;      /* code page 932; "" for none */
    const char *password;       /* code page 932; NULL for none */
    uint32_t password_length;   /* bytes of password, 1 to password_limit */
    /* Told of the input bytes packed so far and in all, and of the entry at hand (UTF-8). */
    void (*progress)(uint64_t done, uint64_t total, const char *name);
} pack_settings;

enum pack_result {
    pack_done = 0,
    pack_failed = 1, /* a source or the output cannot be read or written, or has no stored form */
    pack_refused = 2 /* a file of 2 GiB or more, or an archive that would reach 2 GiB */
};

/* Packs the sources: a folder gives its contents (its folders as folder entries, empty
 * ones too), a file itself under its own name. On failure error holds the reason in
 * UTF-8, naming the file, and nothing is left at output. */
enum pack_result pack_archive(const char *const *sources, int count, const char *output,
                              const pack_settings *settings, char *error, size_t error_size);

/* Removes the unfinished output of a pack under way; safe inside a signal handler. */
void pack_abandon(void);

/* The stored form of one part of a name: code page 932, refused when it has none or is
 * not a valid Windows name part. Returns 0, or 1 with the reason in error. */
int stored_name_part(const char *utf8, char *out, size_t out_size, char *error, size_t error_size);

/* Bytes of name as stored after previous: plain, or "*", c and the tail when the first
 * c + 2 bytes are shared and that is shorter. Returns the count written to out (which
 * holds at least strlen(name) + 3 bytes), the NUL included. */
size_t shared_prefix_form(const char *previous, const char *name, uint8_t *out);

QM_END_DECLS

#endif
