/* The main window: the archive's message, the destination folder, the password for a
 * protected archive, and Extract, which checks the password and the destination, runs
 * the extraction under the progress window, reports the outcome, starts run_after and
 * ends the program. Browse opens the folder browser. */
#include <string.h>
#include "archive/decoder.h"
#include "archive/header.h"
#include "archive/password.h"
#include "extract/dest_paths.h"
#include "extract/run_extraction.h"
#include "fileio/file_record.h"
#include "startup/host.h"
#include "startup/windows_win32.h"
#include "ui/folder_listing.h"
#include "ui/layout_units.h"
#include <shellapi.h>

enum main_control_id {
    message_view_id = 1,
    password_field_id = 2,
    extract_button_id = 3,
    message_label_id = 4,
    password_label_id = 5,
    folder_label_id = 6,
    folder_field_id = 7,
    browse_button_id = 8
};

#define edit_style (WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL)
#define message_view_style (WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_READONLY)
#define plain_style (WS_CHILD | WS_VISIBLE)

/* The destination as typed, then with its closing backslash; the folder browser's
 * limit, so that every folder it offers fits. */
static char destination_folder[browse_folder_limit + 1];

static SIZE extent_of(HDC dc, const char *text)
{
    SIZE extent;
    GetTextExtentPoint32A(dc, text, (int)strlen(text), &extent);
    return extent;
}

/* A text label at (1, y), exactly as large as its text. */
static HWND make_label(HDC dc, const char *text, int y, HWND window, int id)
{
    SIZE extent = extent_of(dc, text);
    return make_window("static", text, plain_style, 1, y, extent.cx, extent.cy, window, id, NULL);
}

/* The current directory goes into folder_field as it is, and with its closing backslash
 * into browse_folder. One that does not fit leaves both at the drive root form "\". */
static void start_in_current_directory(void)
{
    DWORD needed = GetCurrentDirectoryA(0, NULL);
    if (needed == 0 || needed > sizeof browse_folder ||
        GetCurrentDirectoryA(sizeof browse_folder, browse_folder) >= sizeof browse_folder)
        browse_folder[0] = '\0';
    SetWindowTextA(folder_field, browse_folder);
    add_trailing_backslash(browse_folder, sizeof browse_folder);
}

static LRESULT build_main_window(HWND window)
{
    HDC dc = GetDC(window);
    SelectObject(dc, GetStockObject(SYSTEM_FONT));
    TEXTMETRICA metrics;
    GetTextMetricsA(dc, &metrics);
    unit_x = metrics.tmAveCharWidth;
    unit_y = metrics.tmHeight + metrics.tmExternalLeading;
    list_item_height = unit_y > 16 ? unit_y : 16;

    WINDOWPLACEMENT placement;
    placement.length = sizeof placement;
    GetWindowPlacement(window, &placement);
    MoveWindow(window, placement.rcNormalPosition.left, placement.rcNormalPosition.top, 70 * unit_x,
               20 * unit_y, TRUE);

    make_label(dc, "メッセージ", 1, window, message_label_id);
    password_label = make_label(dc, "パスワード", 16 * unit_y, window, password_label_id);
    make_label(dc, "解凍するフォルダ", 13 * unit_y, window, folder_label_id);
    /* Both buttons have the one size measured from the browse text. */
    SIZE browse = extent_of(dc, "参照...");
    int button_width = browse.cx + unit_x, button_height = 3 * browse.cy / 2;
    extract_button = make_window("button", "解凍", plain_style, 60 * unit_x, 17 * unit_y - unit_y / 4,
                                 button_width, button_height, window, extract_button_id, NULL);
    browse_button = make_window("button", "参照...", plain_style, 60 * unit_x, 14 * unit_y - unit_y / 4,
                                button_width, button_height, window, browse_button_id, NULL);
    ReleaseDC(window, dc);

    message_view = make_window("edit", "", message_view_style, unit_x - 2, 3 * unit_y / 2 - 2, 67 * unit_x,
                               11 * unit_y, window, message_view_id, NULL);
    password_field = make_window("edit", "", edit_style, unit_x - 2, 17 * unit_y, 57 * unit_x + 4, unit_y,
                                 window, password_field_id, NULL);
    folder_field = make_window("edit", "", edit_style, unit_x - 2, 14 * unit_y, 57 * unit_x + 4, unit_y,
                               window, folder_field_id, NULL);
    start_in_current_directory();
    return 0;
}

static int ask(const char *text, unsigned style)
{
    return host_message_box(owner_main_window, text, style);
}

/* The typed password against the header's check word; a match becomes accepted_password.
 * A text longer than any password that can be accepted is wrong. */
static int password_passes(void)
{
    char typed[password_limit + 1];
    int length = GetWindowTextLengthA(password_field);
    if (length > password_limit)
        return 0;
    length = GetWindowTextA(password_field, typed, sizeof typed);
    return check_password(typed, (uint32_t)length);
}

/* destination_folder from folder_field, existing or made now; 0 when the user is to
 * correct it (or chose not to create it). A text too long to hold whole cannot name a
 * folder that can be made: it is not cut to a shorter, different one. */
static int destination_ready(void)
{
    static const char cannot_create[] = "フォルダが作れません";
    int length = GetWindowTextLengthA(folder_field);
    if (length >= (int)sizeof destination_folder) {
        ask(cannot_create, box_icon_exclamation | box_ok);
        return 0;
    }
    GetWindowTextA(folder_field, destination_folder, sizeof destination_folder);
    if (add_trailing_backslash(destination_folder, sizeof destination_folder) != 0) {
        ask(cannot_create, box_icon_exclamation | box_ok);
        return 0;
    }
    switch (folder_state(destination_folder)) {
    case state_folder:
        return 1;
    case state_missing:
        if (ask("指定されたフォルダはありません。このフォルダを作りますか？", box_icon_question | box_yes_no) !=
            answer_yes)
            return 0;
        if (create_folder_path(destination_folder)[0] == '\0')
            return 1;
        ask(cannot_create, box_icon_exclamation | box_ok);
        return 0;
    default:
        ask(cannot_create, box_icon_exclamation | box_ok);
        return 0;
    }
}

/* run_after, relative to the destination, through the shell's default action. */
static void start_run_after(void)
{
    static const char failed[] = "が実行できませんでした。";
    static char text[run_after_limit + sizeof failed];
    change_folder(destination_folder);
    take_status();
    HINSTANCE started = ShellExecuteA(NULL, NULL, run_after, NULL, NULL, SW_SHOWNORMAL);
    if ((INT_PTR)started > 32)
        return;
    size_t length = strlen(run_after);
    memcpy(text, run_after, length);
    memcpy(text + length, failed, sizeof failed);
    ask(text, box_icon_error | box_ok);
}

static void extract(void)
{
    if (password_flag && !password_passes()) {
        ask("パスワードが違います。", box_icon_exclamation | box_ok);
        SetFocus(password_field);
        return;
    }
    if (!destination_ready())
        return;

    ShowWindow(progress_window, SW_SHOW);
    UpdateWindow(progress_window);
    EnableWindow(main_window, FALSE);
    run_extraction(destination_folder);
    ShowWindow(progress_window, SW_HIDE);

    if (cancel_flag) {
        ask("ファイルの解凍を中断しました。", box_icon_information | box_ok);
    } else {
        ask("ファイルの解凍が終わりました。", box_icon_information | box_ok);
        if (run_after[0] != '\0')
            start_run_after();
    }
    /* One run per program: the window stays disabled until the end. */
    PostMessageA(main_window, WM_DESTROY, 0, 0);
}

static void browse(void)
{
    ShowWindow(browser_window, SW_SHOW);
    EnableWindow(main_window, FALSE);
}

static const struct handled_command main_commands[] = {
    {&extract_button, BN_CLICKED, extract},
    {&browse_button, BN_CLICKED, browse},
};

static int on_create(HWND window, WPARAM wparam, LPARAM lparam, LRESULT *result)
{
    (void)wparam;
    (void)lparam;
    *result = build_main_window(window);
    return 1;
}

static int on_command(HWND window, WPARAM wparam, LPARAM lparam, LRESULT *result)
{
    (void)window;
    *result = 0;
    return dispatch_command(main_commands, table_size(main_commands), wparam, lparam);
}

/* The read-only message view is drawn on white. */
static int on_static_colour(HWND window, WPARAM wparam, LPARAM lparam, LRESULT *result)
{
    (void)window;
    (void)wparam;
    if ((HWND)lparam != message_view)
        return 0;
    *result = (LRESULT)GetStockObject(WHITE_BRUSH);
    return 1;
}

static int on_destroy(HWND window, WPARAM wparam, LPARAM lparam, LRESULT *result)
{
    (void)window;
    (void)wparam;
    (void)lparam;
    PostQuitMessage(0);
    *result = 0;
    return 1;
}

static const struct handled_message main_messages[] = {
    {WM_CREATE, on_create},
    {WM_COMMAND, on_command},
    {WM_CTLCOLORSTATIC, on_static_colour},
    {WM_DESTROY, on_destroy},
};

LRESULT CALLBACK main_window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    return dispatch_message(main_messages, table_size(main_messages), window, message, wparam, lparam);
}
