/* The folder listing: browse_folder as an indented tree of items, the path of an item,
 * the drive labels. Paths are scanned a character at a time, so that the second byte of
 * a double-byte character, which can be 0x5C, never counts as a backslash. */
#include "ui/folder_listing.h"
#include <string.h>
#include "fileio/platform_file.h"

#define drive_letters 26
#define volume_query_size 1024 /* what the volume query may write into its buffer */

char browse_folder[browse_folder_limit + 1];

static char item_text[item_text_limit + 1];
static char chosen[browse_folder_limit + 1];
static char pattern[browse_folder_limit + sizeof "\\*.*"];
static found_entry found;
static char volume[drive_label_size];
static char label[drive_label_size];

static void empty_list(enum list_control list)
{
    while (list_count(list) > 0)
        list_delete_first(list);
}

/* Appends flag, depth spaces and the name to the folder list, the depth beside it. The
 * callers' names always fit: item_text_limit covers the longest browse_folder and the
 * longest found name. */
static void append_item(char flag, int depth, const char *name, size_t length)
{
    size_t used = 0;
    item_text[used++] = flag;
    while (used <= (size_t)depth && used < item_text_limit)
        item_text[used++] = ' ';
    if (length > item_text_limit - used)
        length = item_text_limit - used;
    memcpy(item_text + used, name, length);
    item_text[used + length] = '\0';
    list_append(folder_list, item_text, (uint32_t)depth);
}

/* Lists the sub-folders of browse_folder at depth, leaving out every name that begins
 * with a dot. closed tells whether browse_folder ends in its backslash. */
static void list_sub_folders(int depth, int closed)
{
    size_t length = strlen(browse_folder);
    memcpy(pattern, browse_folder, length);
    if (!closed)
        pattern[length++] = '\\';
    memcpy(pattern + length, "*.*", sizeof "*.*");
    folder_search search = find_first_entry(pattern, &found);
    if (search == 0)
        return;
    do {
        found.name[found_name_limit] = '\0';
        if ((found.attributes & attribute_folder) != 0 && found.name[0] != '.')
            append_item(' ', depth, found.name, strlen(found.name));
    } while (find_next_entry(search, &found));
    end_search(search);
}

void fill_folder_list(void)
{
    empty_list(folder_list);
    browse_folder[browse_folder_limit] = '\0';
    const char *p = browse_folder;
    int depth = 0;
    int closed = 0;
    /* One item per component; the drive root keeps its backslash. A last component
     * without a backslash ends at the NUL. */
    while (*p != '\0') {
        const char *start = p;
        while (*p != '\0' && *p != '\\')
            p = platform_char_next(p);
        closed = *p == '\\';
        const char *end = depth == 0 && closed ? p + 1 : p;
        append_item('*', depth, start, (size_t)(end - start));
        depth++;
        if (closed)
            p = platform_char_next(p);
    }
    if (depth == 0)
        return;
    list_sub_folders(depth, closed);
    list_select(folder_list, depth - 1);
}

int item_depth(int index)
{
    return (int)list_number(folder_list, index);
}

const char *item_name(int index, int *depth, int *opened)
{
    int d = item_depth(index);
    int length = list_text(folder_list, index, item_text, sizeof item_text);
    if (length < d + 1)
        return 0;
    *depth = d;
    *opened = item_text[0] == '*';
    return item_text + d + 1;
}

static int ends_in_backslash(const char *text)
{
    const char *last = 0;
    for (const char *p = text; *p != '\0'; p = platform_char_next(p))
        last = p;
    return last != 0 && *last == '\\';
}

/* Appends the name of one item and its backslash to chosen; the drive root at depth 0
 * already has its own. 0 when the item is missing or the path would not fit. */
static int append_component(int index, size_t *used)
{
    int depth;
    int opened;
    const char *name = item_name(index, &depth, &opened);
    if (name == 0)
        return 0;
    size_t length = strlen(name);
    size_t separator = depth > 0 || !ends_in_backslash(name);
    if (length + separator > browse_folder_limit - *used)
        return 0;
    memcpy(chosen + *used, name, length);
    *used += length;
    if (separator)
        chosen[(*used)++] = '\\';
    chosen[*used] = '\0';
    return 1;
}

void folder_of_item(int index, char folder[browse_folder_limit + 1])
{
    /* The open chain above the item is read back from the list's first entries, which
     * hold the components in depth order; no entry past the end is ever asked for. */
    int count = list_count(folder_list);
    int fits = index >= 0 && index < count;
    int depth = fits ? item_depth(index) : 0;
    size_t used = 0;
    for (int k = 0; fits && k <= depth; k++) {
        int item = k < depth ? k : index;
        fits = item < count && append_component(item, &used);
    }
    if (fits)
        memcpy(folder, chosen, used + 1);
    else if (folder != browse_folder)
        memcpy(folder, browse_folder, strlen(browse_folder) + 1);
}

void drive_label(char letter, unsigned type, const char *volume_text, char text[drive_label_size])
{
    size_t used = 0;
    text[used++] = letter;
    text[used++] = ':';
    if (type != drive_removable) {
        text[used++] = ' ';
        text[used++] = '[';
        while (*volume_text != '\0' && used < drive_label_size - 2)
            text[used++] = *volume_text++;
        text[used++] = ']';
    }
    text[used] = '\0';
}

void fill_drive_list(void)
{
    empty_list(drive_list);
    uint32_t drives = logical_drives();
    for (int i = 0; i < drive_letters; i++) {
        if ((drives >> i & 1) == 0)
            continue;
        char root[] = "A:\\";
        root[0] = (char)('A' + i);
        unsigned type = drive_type(root);
        /* Removable drives are not queried: an empty one would only cause a delay. */
        volume[0] = '\0';
        if (type != drive_removable)
            volume_name(root, volume, volume_query_size);
        volume[volume_query_size] = '\0';
        drive_label(root[0], type, volume, label);
        list_append(drive_list, label, 0);
    }
}

void select_current_drive(void)
{
    char letter = browse_folder[0];
    if (letter >= 'a' && letter <= 'z')
        letter = (char)(letter - 'a' + 'A');
    int count = list_count(drive_list);
    for (int i = 0; i < count; i++)
        if (list_text(drive_list, i, label, sizeof label) > 0 && label[0] == letter)
            list_select(drive_list, i);
}

char selected_drive(void)
{
    return list_text(drive_list, list_selected(drive_list), label, sizeof label) > 0 ? label[0] : '\0';
}
