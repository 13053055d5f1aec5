/* The model behind the folder browser: the current folder browse_folder, the items of
 * the folder list that show it as an indented tree, the path an item stands for, and
 * the labels of the drive list.
 *
 * An item's text is a flag byte ("*" for a folder of the open chain from the drive root
 * down to the current folder, " " for a sub-folder of the current folder), then as many
 * spaces as its depth, then the folder's name. A name may itself begin with spaces, so
 * the depth is not read back from the text: each item keeps it beside its text. */
#ifndef QM_FOLDER_LISTING_H
#define QM_FOLDER_LISTING_H

#include "startup/decls.h"
#include "ui/listing_platform.h"

QM_BEGIN_DECLS

#define browse_folder_limit 1023 /* bytes of browse_folder, NUL excluded */
#define item_text_limit (1 + browse_folder_limit + found_name_limit)
#define drive_label_size 1035

/* The folder the browser shows; never empty, always ends in a backslash. */
extern char browse_folder[browse_folder_limit + 1];

/* Rebuilds the folder list from browse_folder and selects the current folder. */
void fill_folder_list(void);

/* The path item index stands for, ending in a backslash, into folder. When index is no
 * item of the list, or the path would be longer than browse_folder_limit, folder gets
 * browse_folder unchanged. folder may be browse_folder itself. */
void folder_of_item(int index, char folder[browse_folder_limit + 1]);

/* The depth of item index; 0 when there is no such item. */
int item_depth(int index);

/* The text of item index from its name on, or 0 when there is no such item; depth and
 * opened (whether it belongs to the open chain) describe it. The text stays valid until
 * the next call. */
const char *item_name(int index, int *depth, int *opened);

/* The drive list's text for a drive: "A:" for a removable drive, else "C: [name]". */
void drive_label(char letter, unsigned type, const char *volume_text, char text[drive_label_size]);

/* Rebuilds the drive list: one label per logical drive, A to Z. */
void fill_drive_list(void);

/* The drive letter of the drive list's selected entry; 0 when nothing is selected. */
char selected_drive(void);

/* Selects the drive list's entry of browse_folder's drive; when none matches (a network
 * path), the selection stays as it was. */
void select_current_drive(void);

QM_END_DECLS

#endif
