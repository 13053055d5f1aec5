/* Destination paths: the closing backslash, the state of a folder, the making of every
 * folder along a path, the folder part of a file's path, and the stop when a folder
 * cannot be made during extraction. Every scan steps by characters (platform_char_next),
 * so the second byte of a double-byte character is never taken for a backslash. */
#ifndef QM_DEST_PATHS_H
#define QM_DEST_PATHS_H

#include "startup/decls.h"
#include <stdint.h>

QM_BEGIN_DECLS

/* Bytes of a path that the folder operations hold, the same as a file record's name. */
#define folder_path_limit 259

enum folder_kind {
    state_folder = 0,    /* the root of a drive, or an existing folder */
    state_missing = 1,   /* nothing of that name */
    state_not_folder = 2 /* something of that name that is not a folder */
};

/* Appends a backslash to the text in place unless its last character is one; an empty
 * text becomes a single backslash. capacity is the size of the text's buffer. Returns 0
 * when the text ends in a backslash afterwards, 1 when there was no room for it. */
int add_trailing_backslash(char *text, uint32_t capacity);

/* Classifies a folder text ending in a backslash; a drive root ("C:\") without probing. */
uint8_t folder_state(const char *text);

/* Makes every missing folder along a path that is empty or ends in a backslash, from the
 * shallowest to the deepest. Returns "" when all of them exist now, else the prefix
 * (without its closing backslash) at which the work stopped: a folder that could not be
 * made, or something else standing in its place. A path longer than folder_path_limit
 * stops at once with its first folder_path_limit bytes. The text lives until the next call. */
const char *create_folder_path(const char *path);

/* Length of the path up to and including its last backslash; 0 when it has none. */
uint32_t folder_part(const char *path);

/* "フォルダが作れませんでした:" and the prefix, then the end of the process with code 0. */
qm_noreturn void folder_failure_stop(const char *prefix);

QM_END_DECLS

#endif
