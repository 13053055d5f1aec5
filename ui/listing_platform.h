/* What the folder listing needs of the platform: the browser's two list controls, the
 * folder enumeration and the drive queries. The stub's implementation is Win32
 * (list box and combo box messages, FindFirstFileA, GetLogicalDrives...); the native
 * tests supply plain lists of texts and a made-up tree of folders and drives. */
#ifndef QM_LISTING_PLATFORM_H
#define QM_LISTING_PLATFORM_H

#include "startup/decls.h"
#include <stdint.h>

QM_BEGIN_DECLS

enum list_control {
    folder_list, /* the indented tree of the folder browser */
    drive_list   /* one label per logical drive */
};

/* Lists hold texts in order; each entry also keeps one number beside its text. */
int list_count(enum list_control list);
void list_delete_first(enum list_control list);
void list_append(enum list_control list, const char *text, uint32_t number);
void list_select(enum list_control list, int index);
/* The selected index, or -1 when nothing is selected. */
int list_selected(enum list_control list);
/* Copies the text of entry index into buffer and returns its length; -1 and an empty
 * buffer when there is no such entry or its text would not fit into size bytes. */
int list_text(enum list_control list, int index, char *buffer, int size);
/* The number kept beside entry index; 0 when there is no such entry. */
uint32_t list_number(enum list_control list, int index);

#define found_name_limit 260 /* bytes of a name the enumeration gives, NUL excluded */

typedef struct found_entry {
    uint32_t attributes; /* as Win32 gives them: 0x10 is a folder */
    char name[found_name_limit + 1];
} found_entry;

typedef uintptr_t folder_search;

/* The first entry matching the pattern (a folder followed by "*.*"), or 0 when there
 * is none or the folder cannot be read. */
folder_search find_first_entry(const char *pattern, found_entry *entry);
/* The next entry: 1, or 0 at the end. */
int find_next_entry(folder_search search, found_entry *entry);
void end_search(folder_search search);

#define drive_removable 2u

/* Bit i set: drive "A" + i exists. */
uint32_t logical_drives(void);
/* The drive type of a root such as "C:\" (GetDriveTypeA's values). */
unsigned drive_type(const char *root);
/* The volume name of a root into buffer (size bytes at most, with its NUL); the
 * buffer is left as it was when the volume cannot be queried. */
void volume_name(const char *root, char *buffer, uint32_t size);

QM_END_DECLS

#endif
