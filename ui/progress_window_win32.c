/* The progress window: one status line that the extraction run rewrites for every entry,
 * and Cancel, whose only effect is to raise cancel_flag. The run lets the click through
 * at the decoder's pumps and at its own message boxes. */
#include "archive/decoder.h"
#include "startup/windows_win32.h"
#include "ui/layout_units.h"

enum progress_control_id {
    progress_label_id = 1,
    cancel_button_id = 2
};

static HWND cancel_button;

static int on_create(HWND window, WPARAM wparam, LPARAM lparam, LRESULT *result)
{
    (void)wparam;
    (void)lparam;
    static const char cancel_text[] = "キャンセル";
    HDC dc = GetDC(window);
    progress_label = make_window("static", NULL, WS_CHILD | WS_VISIBLE | SS_LEFT, 2, unit_y, 70 * unit_x,
                                 unit_y, window, progress_label_id, NULL);
    SIZE extent;
    GetTextExtentPoint32A(dc, cancel_text, sizeof cancel_text - 1, &extent);
    cancel_button = make_window("button", cancel_text, WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 30 * unit_x,
                                3 * unit_y, extent.cx + unit_x, 3 * extent.cy / 2, window, cancel_button_id, NULL);
    ReleaseDC(window, dc);
    *result = 0;
    return 1;
}

static void cancel(void)
{
    cancel_flag = 1;
}

static const struct handled_command progress_commands[] = {
    {&cancel_button, BN_CLICKED, cancel},
};

static int on_command(HWND window, WPARAM wparam, LPARAM lparam, LRESULT *result)
{
    (void)window;
    *result = 0;
    return dispatch_command(progress_commands, table_size(progress_commands), wparam, lparam);
}

static const struct handled_message progress_messages[] = {
    {WM_CREATE, on_create},
    {WM_COMMAND, on_command},
};

LRESULT CALLBACK progress_window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    return dispatch_message(progress_messages, table_size(progress_messages), window, message, wparam, lparam);
}
