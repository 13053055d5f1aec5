/* The folder listing's platform: the browser's list box and combo box, FindFirstFileA
 * and the drive queries. */
#include <windows.h>
#include "ui/browser_window_win32.h"
#include "ui/listing_platform.h"

HWND list_window[2];

enum list_operation {
    operation_count,
    operation_delete,
    operation_append,
    operation_set_number,
    operation_select,
    operation_selected,
    operation_text_length,
    operation_text,
    operation_number,
    list_operations
};

/* The same operation is a different message for a list box and a combo box. */
static const UINT list_messages[2][list_operations] = {
    [folder_list] = {LB_GETCOUNT, LB_DELETESTRING, LB_INSERTSTRING, LB_SETITEMDATA, LB_SETCURSEL,
                     LB_GETCURSEL, LB_GETTEXTLEN, LB_GETTEXT, LB_GETITEMDATA},
    [drive_list] = {CB_GETCOUNT, CB_DELETESTRING, CB_ADDSTRING, CB_SETITEMDATA, CB_SETCURSEL,
                    CB_GETCURSEL, CB_GETLBTEXTLEN, CB_GETLBTEXT, CB_GETITEMDATA},
};

static LRESULT send_list(enum list_control list, enum list_operation operation, WPARAM wparam, LPARAM lparam)
{
    return SendMessageA(list_window[list], list_messages[list][operation], wparam, lparam);
}

int list_count(enum list_control list)
{
    LRESULT count = send_list(list, operation_count, 0, 0);
    return count < 0 ? 0 : (int)count;
}

void list_delete_first(enum list_control list)
{
    send_list(list, operation_delete, 0, 0);
}

void list_append(enum list_control list, const char *text, uint32_t number)
{
    /* LB_INSERTSTRING at -1 appends; CB_ADDSTRING appends to the unsorted combo box. */
    LRESULT index = send_list(list, operation_append, (WPARAM)-1, (LPARAM)text);
    if (index >= 0)
        send_list(list, operation_set_number, (WPARAM)index, (LPARAM)number);
}

void list_select(enum list_control list, int index)
{
    send_list(list, operation_select, (WPARAM)index, 0);
}

int list_selected(enum list_control list)
{
    LRESULT index = send_list(list, operation_selected, 0, 0);
    return index < 0 ? -1 : (int)index;
}

int list_text(enum list_control list, int index, char *buffer, int size)
{
    buffer[0] = '\0';
    LRESULT length = send_list(list, operation_text_length, (WPARAM)index, 0);
    if (length < 0 || length >= size)
        return -1;
    length = send_list(list, operation_text, (WPARAM)index, (LPARAM)buffer);
    if (length < 0) {
        buffer[0] = '\0';
        return -1;
    }
    return (int)length;
}

uint32_t list_number(enum list_control list, int index)
{
    LRESULT number = send_list(list, operation_number, (WPARAM)index, 0);
    return number == LB_ERR ? 0 : (uint32_t)number;
}

static void take_found(found_entry *entry, const WIN32_FIND_DATAA *data)
{
    int i = 0;
    entry->attributes = data->dwFileAttributes;
    while (i < found_name_limit && i < MAX_PATH && data->cFileName[i] != '\0') {
        entry->name[i] = data->cFileName[i];
        i++;
    }
    entry->name[i] = '\0';
}

folder_search find_first_entry(const char *pattern, found_entry *entry)
{
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA(pattern, &data);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    take_found(entry, &data);
    return (folder_search)search;
}

int find_next_entry(folder_search search, found_entry *entry)
{
    WIN32_FIND_DATAA data;
    if (!FindNextFileA((HANDLE)search, &data))
        return 0;
    take_found(entry, &data);
    return 1;
}

void end_search(folder_search search)
{
    FindClose((HANDLE)search);
}

uint32_t logical_drives(void)
{
    return GetLogicalDrives();
}

unsigned drive_type(const char *root)
{
    return GetDriveTypeA(root);
}

void volume_name(const char *root, char *buffer, uint32_t size)
{
    DWORD longest_component;
    DWORD flags;
    GetVolumeInformationA(root, buffer, size, NULL, &longest_component, &flags, NULL, 0);
}
