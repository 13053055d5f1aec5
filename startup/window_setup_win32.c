/* Registers the window classes and creates the windows. */
#include <windows.h>
#include "startup/title_text.h"
#include "startup/windows_win32.h"

LRESULT CALLBACK main_window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

void set_up_windows(void)
{
    WNDCLASSEXA main_class = {0};
    main_class.cbSize = sizeof main_class;
    main_class.lpfnWndProc = main_window_procedure;
    main_class.hInstance = program_instance;
    main_class.hIcon = LoadIconA(program_instance, "main_icon");
    main_class.hIconSm = main_class.hIcon;
    main_class.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    main_class.hbrBackground = (HBRUSH)(COLOR_MENU + 1);
    main_class.lpszClassName = "core_gui";
    if (!RegisterClassExA(&main_class))
        ExitProcess(0);
    main_window = CreateWindowExA(0, "core_gui", title_text, WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, NULL, NULL,
                                  program_instance, NULL);
}

void load_folder_bitmaps(void)
{
    static const char *const names[folder_bitmap_count] = {"closed_folder", "closed_folder_mask",
                                                           "opened_folder", "opened_folder_mask"};
    for (int i = 0; i < folder_bitmap_count; i++)
        folder_bitmaps[i] = LoadBitmapA(program_instance, names[i]);
}
