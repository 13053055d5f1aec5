/* The folder browser window (class refer_window): a drive list and an indented folder
 * list from which the destination folder is picked. */
#ifndef QM_BROWSER_WINDOW_WIN32_H
#define QM_BROWSER_WINDOW_WIN32_H

#include <windows.h>

LRESULT CALLBACK browser_window_procedure(HWND, UINT, WPARAM, LPARAM);

/* The browser's two list controls, indexed by enum list_control. */
extern HWND list_window[2];

#endif
