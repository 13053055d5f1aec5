/* The stub's host: the logic's requests carried out on the windows. */
#include "startup/host.h"
#include "startup/title_text.h"
#include "startup/windows_win32.h"

HINSTANCE program_instance;
HWND main_window, progress_window, browser_window;
HWND extract_button, browse_button, message_view, password_label, password_field, folder_field;
HWND progress_label;
HBITMAP folder_bitmaps[folder_bitmap_count];

int host_message_box(enum box_owner owner, const char *text, unsigned style)
{
    return MessageBoxA(owner == owner_main_window ? main_window : NULL, text, title_text, style);
}

void host_disable_extract(void)
{
    EnableWindow(extract_button, FALSE);
}

void host_set_message_text(const char *text)
{
    SetWindowTextA(message_view, text);
}

void host_hide_password_row(void)
{
    ShowWindow(password_label, SW_HIDE);
    ShowWindow(password_field, SW_HIDE);
}

void host_set_progress_text(const char *text)
{
    SetWindowTextA(progress_label, text);
}

void host_pump_one_message(void)
{
    MSG message;
    if (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void release_bitmaps(void)
{
    for (int i = 0; i < folder_bitmap_count; i++)
        if (folder_bitmaps[i] != 0)
            DeleteObject(folder_bitmaps[i]);
}

void host_end_process(int code)
{
    ExitProcess((UINT)code);
}
