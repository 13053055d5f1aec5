/* The stub's entry: window set-up, the self-check, the bitmaps, the message loop, the end. */
#include "startup/host.h"
#include "startup/self_check.h"
#include "startup/windows_win32.h"

void set_up_windows(void);
void load_folder_bitmaps(void);

void stub_entry(void)
{
    program_instance = GetModuleHandleA(NULL);
    set_up_windows();

    char own_path[261];
    DWORD length = GetModuleFileNameA(NULL, own_path, sizeof own_path);
    if (length >= sizeof own_path)
        length = sizeof own_path - 1;
    own_path[length] = '\0';
    self_check(own_path);

    load_folder_bitmaps();
    ShowWindow(main_window, SW_SHOW);
    UpdateWindow(main_window);

    MSG message;
    while (GetMessageA(&message, NULL, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    release_bitmaps();
    host_end_process((int)message.wParam);
}
