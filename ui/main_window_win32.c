/* The main window. */
#include <windows.h>
#include "startup/windows_win32.h"

static HWND make_control(const char *class_name, const char *text, DWORD style, int x, int y, int width,
                         int height, HWND parent, int id)
{
    return CreateWindowExA(0, class_name, text, style, x, y, width, height, parent, (HMENU)(INT_PTR)id,
                           program_instance, NULL);
}

static LRESULT create_controls(HWND window)
{
    message_view = make_control("edit", "", 0x50A00804, 8, 24, 500, 200, window, 1);
    password_label = make_control("static", "パスワード", WS_CHILD | WS_VISIBLE, 1, 260, 80, 16, window, 5);
    password_field = make_control("edit", "", 0x50800080, 8, 280, 400, 20, window, 2);
    folder_field = make_control("edit", "", 0x50800080, 8, 230, 400, 20, window, 7);
    extract_button = make_control("button", "解凍", WS_CHILD | WS_VISIBLE, 420, 280, 60, 24, window, 3);
    return 0;
}

LRESULT CALLBACK main_window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_CREATE:
        return create_controls(window);
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}
