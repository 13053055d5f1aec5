/* The window and bitmap handles of the stub, one of each for the whole process. */
#ifndef QM_WINDOWS_WIN32_H
#define QM_WINDOWS_WIN32_H

#include <windows.h>

extern HINSTANCE program_instance;
extern HWND main_window, progress_window, browser_window;
extern HWND extract_button, browse_button, message_view, password_label, password_field, folder_field;
extern HWND progress_label;

enum folder_bitmap { closed_folder, closed_folder_mask, opened_folder, opened_folder_mask, folder_bitmap_count };
extern HBITMAP folder_bitmaps[folder_bitmap_count];

#endif
