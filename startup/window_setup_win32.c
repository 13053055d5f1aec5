/* Registers the three window classes and creates the three windows. The main window
 * measures the layout units while it is created; the two secondary windows, hidden and
 * owned by it, are sized and centred on the screen in those units. */
#include "startup/title_text.h"
#include "startup/windows_win32.h"
#include "ui/browser_window_win32.h"
#include "ui/layout_units.h"

LRESULT CALLBACK main_window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
LRESULT CALLBACK progress_window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

#define menu_colour_brush ((HBRUSH)(COLOR_MENU + 1))

/* The two secondary classes differ only in their procedure; a failed registration ends
 * the program without a word. */
static void register_secondary_class(const char *name, WNDPROC procedure)
{
    WNDCLASSA secondary = {0};
    secondary.lpfnWndProc = procedure;
    secondary.hInstance = program_instance;
    secondary.hIcon = LoadIconA(program_instance, "main_icon");
    secondary.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    secondary.hbrBackground = menu_colour_brush;
    secondary.lpszClassName = name;
    if (!RegisterClassA(&secondary))
        ExitProcess(0);
}

/* A window of units_wide x units_high, centred across the screen, centred down it as if
 * it were units_centred high. */
static HWND make_centred_window(const char *class_name, const char *text, const RECT *desktop,
                                int units_wide, int units_high, int units_centred)
{
    return make_window(class_name, text, WS_CAPTION, (desktop->right - units_wide * unit_x) / 2,
                       (desktop->bottom - units_centred * unit_y) / 2, units_wide * unit_x, units_high * unit_y,
                       main_window, 0, NULL);
}

void set_up_windows(void)
{
    WNDCLASSEXA main_class = {0};
    main_class.cbSize = sizeof main_class;
    main_class.lpfnWndProc = main_window_procedure;
    main_class.hInstance = program_instance;
    main_class.hIcon = LoadIconA(program_instance, "main_icon");
    main_class.hIconSm = main_class.hIcon;
    main_class.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    main_class.hbrBackground = menu_colour_brush;
    main_class.lpszClassName = "core_gui";
    if (!RegisterClassExA(&main_class))
        ExitProcess(0);
    main_window = make_window("core_gui", title_text, WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, NULL, 0, NULL);

    RECT desktop;
    register_secondary_class("progress_window", progress_window_procedure);
    GetWindowRect(GetDesktopWindow(), &desktop);
    /* Centred on 8 units while 7 high: half a line above the middle. */
    progress_window = make_centred_window("progress_window", "ファイルの解凍中", &desktop, 70, 7, 8);
    register_secondary_class("refer_window", browser_window_procedure);
    browser_window = make_centred_window("refer_window", "フォルダの参照", &desktop, 40, 17, 17);
}

void load_folder_bitmaps(void)
{
    static const char *const names[folder_bitmap_count] = {"closed_folder", "closed_folder_mask",
                                                           "opened_folder", "opened_folder_mask"};
    for (int i = 0; i < folder_bitmap_count; i++)
        folder_bitmaps[i] = LoadBitmapA(program_instance, names[i]);
}
