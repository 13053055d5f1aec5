/* The one way window messages and commands reach their handlers. */
#include "startup/windows_win32.h"

HWND make_window(const char *class_name, const char *text, DWORD style, int x, int y, int width, int height,
                 HWND parent, int id, void *parameter)
{
    return CreateWindowExA(0, class_name, text, style, x, y, width, height, parent, (HMENU)(INT_PTR)id,
                           program_instance, parameter);
}

LRESULT dispatch_message(const struct handled_message *table, size_t count, HWND window, UINT message,
                         WPARAM wparam, LPARAM lparam)
{
    LRESULT result;
    for (size_t i = 0; i < count; i++)
        if (table[i].message == message && table[i].handle(window, wparam, lparam, &result))
            return result;
    return DefWindowProcA(window, message, wparam, lparam);
}

int dispatch_command(const struct handled_command *table, size_t count, WPARAM wparam, LPARAM lparam)
{
    for (size_t i = 0; i < count; i++) {
        if ((HWND)lparam == *table[i].control && HIWORD(wparam) == table[i].notification) {
            table[i].act();
            return 1;
        }
    }
    return 0;
}
