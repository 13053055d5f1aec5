/* The entry records of the archive stream: the name, rebuilt from a shared prefix of the
 * name before it, and the fields of a file entry. One reader for the extraction run and
 * for the tool's listing and test. */
#ifndef QM_ENTRY_READER_H
#define QM_ENTRY_READER_H

#include "startup/decls.h"
#include <stdint.h>

QM_BEGIN_DECLS

#define entry_name_limit 259 /* bytes of a name, its NUL not counted */
#define shared_prefix_mark 0x2A

/* The name of the entry last read; the next name shares its prefix with it. */
extern char entry_name[entry_name_limit + 1];

typedef struct entry_fields {
    uint64_t times[3]; /* creation, last access, last write (FILETIME) */
    int32_t size;      /* decoded size */
} entry_fields;

/* Empties the previous name, as before the first entry. */
void forget_entry_name(void);

/* Reads the next name into entry_name. A name longer than entry_name_limit, or a name
 * that would leave the destination (entry_name_safe), is damaged data. */
void read_entry_name(void);

/* A folder entry's name is "." or ends in the two bytes "\.". */
int entry_is_folder(const char *name);

/* A name stays below the destination when it is not empty, does not start with a
 * backslash, holds no colon (a drive or a stream) and no slash, and none of its parts
 * between backslashes is empty or made of dots and blanks only, except a single dot. */
int entry_name_safe(const char *name);

/* Reads the three times and the size that follow a file entry's name. */
void read_entry_fields(entry_fields *fields);

QM_END_DECLS

#endif
