/* The folder browser window: drives in a combo box, the open chain and sub-folders of
 * browse_folder in an owner-drawn list box with folder pictures. The main window shows
 * it and disables itself; OK and Cancel enable the main window again and hide it. */
#include <string.h>
#include "fileio/file_record.h"
#include "startup/title_text.h"
#include "startup/windows_win32.h"
#include "ui/browser_window_win32.h"
#include "ui/folder_listing.h"
#include "ui/layout_units.h"

enum browser_control_id {
    ok_id = 1,
    cancel_id = 2,
    drive_caption_id = 3,
    drive_list_id = 4,
    folder_caption_id = 5,
    folder_list_id = 6
};

#define picture_size 16
#define indent_step 8  /* pixels per depth level */
#define text_offset 18 /* from the picture's left to the name */

static HWND ok_button, cancel_button, drive_caption, folder_caption;

static SIZE measure(HDC dc, const char *text)
{
    SIZE extent;
    GetTextExtentPoint32A(dc, text, (int)strlen(text), &extent);
    return extent;
}

static LRESULT create_controls(HWND window)
{
    static const char cancel_text[] = "キャンセル";
    static const char drive_text[] = "ドライブ";
    static const char folder_text[] = "フォルダ";
    const DWORD visible = WS_CHILD | WS_VISIBLE;
    HDC dc = GetDC(window);
    /* OK is exactly as large as Cancel. */
    SIZE button = measure(dc, cancel_text);
    int button_width = button.cx + unit_x;
    int button_height = 3 * button.cy / 2;
    cancel_button = make_window("button", cancel_text, visible | BS_PUSHBUTTON, 25 * unit_x, 14 * unit_y,
                                button_width, button_height, window, cancel_id, NULL);
    ok_button = make_window("button", "OK", visible | BS_PUSHBUTTON, 10 * unit_x, 14 * unit_y, button_width,
                            button_height, window, ok_id, NULL);
    SIZE caption = measure(dc, drive_text);
    drive_caption = make_window("static", drive_text, visible | SS_LEFT, 2, 0, caption.cx, caption.cy, window,
                                drive_caption_id, NULL);
    list_window[drive_list] = make_window("combobox", NULL, visible | WS_BORDER | WS_VSCROLL | CBS_DROPDOWNLIST,
                                          unit_x, unit_y, 37 * unit_x, 6 * unit_y, window, drive_list_id, NULL);
    caption = measure(dc, folder_text);
    folder_caption = make_window("static", folder_text, visible | SS_LEFT, 2, 3 * unit_y, caption.cx, caption.cy,
                                 window, folder_caption_id, NULL);
    /* While the list is created it asks for its item height (WM_MEASUREITEM). */
    list_window[folder_list] =
        make_window("listbox", NULL,
                    visible | WS_BORDER | WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS,
                    unit_x, 4 * unit_y, 37 * unit_x, 9 * unit_y, window, folder_list_id, NULL);
    ReleaseDC(window, dc);
    return 0;
}

/* Both lists are rebuilt whenever the window is shown, under the wait cursor. */
static void refresh_lists(void)
{
    SetCursor(LoadCursorA(NULL, (LPCSTR)IDC_WAIT));
    fill_drive_list();
    select_current_drive();
    fill_folder_list();
    SetCursor(LoadCursorA(NULL, (LPCSTR)IDC_ARROW));
}

/* A chosen drive becomes the current directory and the current folder at once; one that
 * cannot be entered is reported, and the drive list goes back to browse_folder's drive. */
static void change_drive(void)
{
    char root[] = "A:\\";
    root[0] = selected_drive();
    if (root[0] == '\0')
        return;
    change_folder(root);
    if (take_status() == 0) {
        memcpy(browse_folder, root, sizeof root);
        fill_folder_list();
    } else {
        MessageBoxA(browser_window, "ドライブにアクセスできません。", title_text, MB_ICONHAND);
        select_current_drive();
    }
}

/* A double-click moves up to an item of the open chain or down into a sub-folder. */
static void open_item(void)
{
    folder_of_item(list_selected(folder_list), browse_folder);
    fill_folder_list();
}

static void close_browser(int confirmed)
{
    EnableWindow(main_window, TRUE);
    if (confirmed) {
        SetFocus(folder_field);
        folder_of_item(list_selected(folder_list), browse_folder);
        SetWindowTextA(folder_field, browse_folder);
    }
    ShowWindow(browser_window, SW_HIDE);
}

static void confirm(void)
{
    close_browser(1);
}

static void cancel(void)
{
    close_browser(0);
}

static void draw_picture(HDC target, int x, int y, HBITMAP mask, HBITMAP picture)
{
    /* The mask clears the folder's shape to white (NOT source OR destination), the picture
     * is then laid into it (source AND destination); around the shape the fill stays. */
    HDC memory = CreateCompatibleDC(target);
    HGDIOBJ original = SelectObject(memory, mask);
    BitBlt(target, x, y, picture_size, picture_size, memory, 0, 0, MERGEPAINT);
    SelectObject(memory, picture);
    BitBlt(target, x, y, picture_size, picture_size, memory, 0, 0, SRCAND);
    SelectObject(memory, original);
    DeleteDC(memory);
}

/* Every item is drawn whole, whatever the drawing action, without a focus rectangle. */
static LRESULT draw_item(const DRAWITEMSTRUCT *item)
{
    if ((int)item->itemID < 0)
        return 0;
    int selected = (item->itemState & ODS_SELECTED) != 0;
    COLORREF fill = selected ? RGB(0, 0, 128) : RGB(255, 255, 255);
    SetBkColor(item->hDC, fill);
    SetTextColor(item->hDC, selected ? RGB(255, 255, 255) : RGB(0, 0, 0));
    HBRUSH brush = CreateSolidBrush(fill);
    FillRect(item->hDC, &item->rcItem, brush);
    DeleteObject(brush);
    int depth;
    int opened;
    const char *name = item_name((int)item->itemID, &depth, &opened);
    if (name != 0) {
        int x = item->rcItem.left + indent_step * depth;
        int y = item->rcItem.top + (list_item_height - picture_size) / 2;
        if (opened)
            draw_picture(item->hDC, x, y, folder_bitmaps[opened_folder_mask], folder_bitmaps[opened_folder]);
        else
            draw_picture(item->hDC, x, y, folder_bitmaps[closed_folder_mask], folder_bitmaps[closed_folder]);
        TextOutA(item->hDC, x + text_offset, item->rcItem.top, name, (int)strlen(name));
    }
    return 1;
}

static int on_create(HWND window, WPARAM wparam, LPARAM lparam, LRESULT *result)
{
    (void)wparam;
    (void)lparam;
    *result = create_controls(window);
    return 1;
}

static int on_show(HWND window, WPARAM wparam, LPARAM lparam, LRESULT *result)
{
    (void)window;
    (void)lparam;
    if (wparam == 0)
        return 0;
    refresh_lists();
    *result = 0;
    return 1;
}

static const struct handled_command commands[] = {
    {&ok_button, BN_CLICKED, confirm},
    {&cancel_button, BN_CLICKED, cancel},
    {&list_window[drive_list], CBN_SELCHANGE, change_drive},
    {&list_window[folder_list], LBN_DBLCLK, open_item},
};

static int on_command(HWND window, WPARAM wparam, LPARAM lparam, LRESULT *result)
{
    (void)window;
    *result = 0;
    return dispatch_command(commands, table_size(commands), wparam, lparam);
}

static int on_measure_item(HWND window, WPARAM wparam, LPARAM lparam, LRESULT *result)
{
    (void)window;
    if (wparam != folder_list_id)
        return 0;
    ((MEASUREITEMSTRUCT *)lparam)->itemHeight = (UINT)list_item_height;
    *result = 1;
    return 1;
}

static int on_draw_item(HWND window, WPARAM wparam, LPARAM lparam, LRESULT *result)
{
    (void)window;
    if (wparam != folder_list_id)
        return 0;
    *result = draw_item((const DRAWITEMSTRUCT *)lparam);
    return 1;
}

static const struct handled_message handled_messages[] = {
    {WM_CREATE, on_create},
    {WM_SHOWWINDOW, on_show},
    {WM_COMMAND, on_command},
    {WM_MEASUREITEM, on_measure_item},
    {WM_DRAWITEM, on_draw_item},
};

LRESULT CALLBACK browser_window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    return dispatch_message(handled_messages, table_size(handled_messages), window, message, wparam, lparam);
}
