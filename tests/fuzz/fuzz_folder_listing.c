/* The folder listing model over lists and a folder enumeration made of the input: the
 * fields between NUL bytes are browse_folder, a volume name, then the entries that
 * every enumeration finds (first byte odd: a folder). The model fills the list, every
 * item is asked for its path, depth and name, and one item is opened as the browser
 * does on a double-click. */
#include <stdlib.h>
#include <string.h>
#include "ui/folder_listing.h"
#include "ui/listing_platform.h"

#define list_limit 4096
#define field_limit 256

typedef struct list_entry {
    char *text;
    uint32_t number;
} list_entry;

static struct {
    list_entry entry[list_limit];
    int count;
    int selected;
} lists[2];

static const uint8_t *fields[field_limit];
static size_t field_size[field_limit];
static int field_count;
static int searches_open;

int list_count(enum list_control list)
{
    return lists[list].count;
}

void list_delete_first(enum list_control list)
{
    if (lists[list].count == 0)
        abort(); /* the model deleted from an empty list */
    free(lists[list].entry[0].text);
    memmove(&lists[list].entry[0], &lists[list].entry[1], (size_t)(lists[list].count - 1) * sizeof(list_entry));
    lists[list].count--;
    if (lists[list].selected >= 0)
        lists[list].selected--;
}

void list_append(enum list_control list, const char *text, uint32_t number)
{
    if (lists[list].count == list_limit)
        return; /* a full list box refuses more */
    lists[list].entry[lists[list].count++] = (list_entry){strdup(text), number};
}

void list_select(enum list_control list, int index)
{
    if (index >= 0 && index < lists[list].count)
        lists[list].selected = index;
}

int list_selected(enum list_control list)
{
    return lists[list].selected;
}

int list_text(enum list_control list, int index, char *buffer, int size)
{
    buffer[0] = '\0';
    if (index < 0 || index >= lists[list].count)
        return -1;
    size_t length = strlen(lists[list].entry[index].text);
    if (length + 1 > (size_t)size)
        return -1;
    memcpy(buffer, lists[list].entry[index].text, length + 1);
    return (int)length;
}

uint32_t list_number(enum list_control list, int index)
{
    if (index < 0 || index >= lists[list].count)
        return 0;
    return lists[list].entry[index].number;
}

/* Every folder holds the same entries: fields 2 onwards. */
static int fill_found(int field, found_entry *entry)
{
    if (field >= field_count)
        return 0;
    size_t size = field_size[field];
    entry->attributes = size > 0 && (fields[field][0] & 1) ? 0x10u : 0;
    size_t length = size > 1 ? size - 1 : 0;
    if (length > found_name_limit)
        length = found_name_limit;
    memcpy(entry->name, fields[field] + (size > 0), length);
    entry->name[length] = '\0';
    return 1;
}

static int next_found;

folder_search find_first_entry(const char *pattern, found_entry *entry)
{
    if (strlen(pattern) > browse_folder_limit + 4)
        abort(); /* longer than any folder the model holds, with its "\*.*" */
    if (!fill_found(2, entry))
        return 0;
    next_found = 3;
    searches_open++;
    return 1;
}

int find_next_entry(folder_search search, found_entry *entry)
{
    (void)search;
    return fill_found(next_found++, entry);
}

void end_search(folder_search search)
{
    (void)search;
    searches_open--;
}

uint32_t logical_drives(void)
{
    return field_count > 1 ? (uint32_t)field_size[1] * 2654435761u : 4;
}

unsigned drive_type(const char *root)
{
    return (unsigned)root[0] % 7;
}

void volume_name(const char *root, char *buffer, uint32_t size)
{
    (void)root;
    if (field_count < 2)
        return;
    size_t length = field_size[1] < size - 1 ? field_size[1] : size - 1;
    memcpy(buffer, fields[1], length);
    buffer[length] = '\0';
}

static void reset_lists(void)
{
    for (int l = 0; l < 2; l++) {
        for (int i = 0; i < lists[l].count; i++)
            free(lists[l].entry[i].text);
        lists[l].count = 0;
        lists[l].selected = -1;
    }
}

static void check_folder(const char *folder)
{
    if (memchr(folder, '\0', browse_folder_limit + 1) == 0)
        abort(); /* a path without its end */
}

int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    field_count = 0;
    size_t start = 0;
    for (size_t i = 0; i <= size && field_count < field_limit; i++) {
        if (i == size || data[i] == 0) {
            fields[field_count] = data + start;
            field_size[field_count++] = i - start;
            start = i + 1;
        }
    }
    reset_lists();
    searches_open = 0;

    size_t length = field_size[0] < browse_folder_limit ? field_size[0] : browse_folder_limit;
    memcpy(browse_folder, fields[0], length);
    browse_folder[length] = '\0';

    static char folder[browse_folder_limit + 1];
    for (int round = 0; round < 2; round++) {
        fill_folder_list();
        int count = list_count(folder_list);
        for (int i = -1; i <= count; i++) {
            int depth, opened;
            folder_of_item(i, folder);
            check_folder(folder);
            item_depth(i);
            item_name(i, &depth, &opened);
        }
        /* Open the last item, as a double-click does. */
        folder_of_item(count - 1, browse_folder);
        check_folder(browse_folder);
    }
    if (searches_open != 0)
        abort(); /* an enumeration was left open */

    fill_drive_list();
    select_current_drive();
    char label[drive_label_size];
    drive_label('C', 3, field_count > 1 ? "" : "x", label);
    return 0;
}
