/* The window and bitmap handles of the stub, one of each for the whole process, and the
 * pieces every window procedure is made of. */
#ifndef QM_WINDOWS_WIN32_H
#define QM_WINDOWS_WIN32_H

#include <windows.h>

extern HINSTANCE program_instance;
extern HWND main_window, progress_window, browser_window;
extern HWND extract_button, browse_button, message_view, password_label, password_field, folder_field;
extern HWND progress_label;

enum folder_bitmap { closed_folder, closed_folder_mask, opened_folder, opened_folder_mask, folder_bitmap_count };
extern HBITMAP folder_bitmaps[folder_bitmap_count];

/* Every window of the program is made here, always with extended style 0. */
HWND make_window(const char *class_name, const char *text, DWORD style, int x, int y, int width, int height,
                 HWND parent, int id, void *parameter);

/* A window procedure is a table of handled messages. A handler returns 1 with its result,
 * or 0 to leave the message to the default processing. */
typedef int message_handler(HWND window, WPARAM wparam, LPARAM lparam, LRESULT *result);
struct handled_message {
    UINT message;
    message_handler *handle;
};
LRESULT dispatch_message(const struct handled_message *table, size_t count, HWND window, UINT message,
                         WPARAM wparam, LPARAM lparam);

/* Commands are told by the sending control and the notification code. */
struct handled_command {
    HWND *control;
    WORD notification;
    void (*act)(void);
};
int dispatch_command(const struct handled_command *table, size_t count, WPARAM wparam, LPARAM lparam);

#define table_size(table) (sizeof(table) / sizeof((table)[0]))

#endif
