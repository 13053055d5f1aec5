/* The test driver: starts one program under test, finds its windows and message boxes,
 * checks their state and presses their buttons, the way a user would.
 *
 * Commands come one per line on standard input (see the table in run_command). Texts are
 * given and printed as hex bytes in the ANSI code page (932 under the tests' locale), "-"
 * for an empty text. Windows are named by class and looked up among the top-level windows
 * of the program under test only, so several drivers may run side by side. A control is
 * named by its window's class and its child id; id 0 names the window itself.
 *
 * Every check waits until it holds or the time runs out (30 s unless "timeout" says
 * otherwise), so nothing depends on the machine's speed. The first failed check ends the
 * program under test and the driver, with exit code 1. */
#include <windows.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define text_limit 16384

static PROCESS_INFORMATION child;
static int child_started;
static DWORD wait_limit = 30000;
static int line_number;
static HWND current_box;

static void fail(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    fprintf(stderr, "driver: line %d: ", line_number);
    vfprintf(stderr, format, args);
    fputc('\n', stderr);
    va_end(args);
    if (child_started && WaitForSingleObject(child.hProcess, 0) == WAIT_TIMEOUT)
        TerminateProcess(child.hProcess, 99);
    exit(1);
}

/* Waits until check(argument) holds; 1 if it did in time. */
static int wait_until(int (*check)(void *), void *argument)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (check(argument))
            return 1;
        if (GetTickCount() - start > wait_limit)
            return 0;
        Sleep(15);
    }
}

/* ---- texts as hex ---- */

static void to_hex(const char *text, int length, char *out)
{
    static const char digits[] = "0123456789abcdef";
    if (length == 0) {
        strcpy(out, "-");
        return;
    }
    for (int i = 0; i < length; i++) {
        out[2 * i] = digits[(unsigned char)text[i] >> 4];
        out[2 * i + 1] = digits[(unsigned char)text[i] & 15];
    }
    out[2 * length] = '\0';
}

static int from_hex(const char *hex, char *out)
{
    if (strcmp(hex, "-") == 0) {
        out[0] = '\0';
        return 0;
    }
    int length = 0;
    size_t n = strlen(hex);
    if (n % 2 != 0 || n / 2 >= text_limit)
        fail("bad hex text %s", hex);
    for (size_t i = 0; i < n; i += 2) {
        unsigned value;
        if (sscanf(hex + i, "%2x", &value) != 1)
            fail("bad hex text %s", hex);
        out[length++] = (char)value;
    }
    out[length] = '\0';
    return length;
}

/* ---- finding windows ---- */

struct window_search {
    const char *class_name;
    int visible_only;
    HWND found;
};

static BOOL CALLBACK match_window(HWND window, LPARAM parameter)
{
    struct window_search *search = (struct window_search *)parameter;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != child.dwProcessId)
        return TRUE;
    char name[64];
    GetClassNameA(window, name, sizeof name);
    if (strcmp(name, search->class_name) != 0)
        return TRUE;
    if (search->visible_only && !IsWindowVisible(window))
        return TRUE;
    search->found = window;
    return FALSE;
}

static HWND find_window(const char *class_name, int visible_only)
{
    struct window_search search = {class_name, visible_only, NULL};
    EnumWindows(match_window, (LPARAM)&search);
    return search.found;
}

static int window_exists(void *class_name)
{
    return find_window(class_name, 0) != NULL;
}

static HWND window_of(const char *class_name)
{
    if (!wait_until(window_exists, (void *)class_name))
        fail("no window of class %s", class_name);
    return find_window(class_name, 0);
}

struct control_search {
    HWND window;
    int id;
};

static int control_exists(void *parameter)
{
    struct control_search *search = parameter;
    return GetDlgItem(search->window, search->id) != NULL;
}

/* A window exists before its creation handler has made its controls: wait for them. */
static HWND control_of(const char *class_name, const char *id)
{
    struct control_search search = {window_of(class_name), atoi(id)};
    if (search.id == 0)
        return search.window;
    if (!wait_until(control_exists, &search))
        fail("%s has no control %d", class_name, search.id);
    return GetDlgItem(search.window, search.id);
}

static int text_of(HWND window, char *out)
{
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, text_limit, (LPARAM)out, SMTO_NORMAL, wait_limit, &length))
        fail("window %p does not answer WM_GETTEXT", (void *)window);
    out[length] = '\0';
    return (int)length;
}

/* ---- checks that wait ---- */

struct expectation {
    HWND window;
    const char *class_name;
    int value;
    char text[text_limit];
    int length;
    int prefix_only;
};

static int text_matches(void *parameter)
{
    struct expectation *e = parameter;
    char actual[text_limit];
    int length = text_of(e->window, actual);
    if (e->prefix_only)
        return length >= e->length && memcmp(actual, e->text, e->length) == 0;
    return length == e->length && memcmp(actual, e->text, length) == 0;
}

static int enabled_matches(void *parameter)
{
    struct expectation *e = parameter;
    return !IsWindowEnabled(e->window) == !e->value;
}

/* A control's own visibility bit: its parent may still be hidden. */
static int shown_matches(void *parameter)
{
    struct expectation *e = parameter;
    return !(GetWindowLongA(e->window, GWL_STYLE) & WS_VISIBLE) == !e->value;
}

static int visible_matches(void *parameter)
{
    struct expectation *e = parameter;
    return (find_window(e->class_name, 1) != NULL) == (e->value != 0);
}

static void check_text(const char *class_name, const char *id, const char *hex, int prefix_only)
{
    static struct expectation e;
    e.window = control_of(class_name, id);
    e.length = from_hex(hex, e.text);
    e.prefix_only = prefix_only;
    if (!wait_until(text_matches, &e)) {
        char actual[text_limit], actual_hex[2 * text_limit + 1];
        to_hex(actual, text_of(e.window, actual), actual_hex);
        fail("text of %s %s is %s, not %s%s", class_name, id, actual_hex, hex, prefix_only ? "..." : "");
    }
}

/* The rectangle of a window: a control's in its parent's client area, a top-level
 * window's outer one on the screen. */
static RECT rect_of(HWND window)
{
    RECT r;
    GetWindowRect(window, &r);
    HWND parent = (GetWindowLongA(window, GWL_STYLE) & WS_CHILD) ? GetParent(window) : NULL;
    if (parent != NULL)
        MapWindowPoints(NULL, parent, (POINT *)&r, 2);
    return r;
}

static int check_rect(const char *what, HWND window, int x, int y, int width, int height)
{
    RECT r = rect_of(window);
    int ok = r.left == x && r.top == y && r.right - r.left == width && r.bottom - r.top == height;
    printf("%-16s %5ld %5ld %5ld %5ld%s", what, r.left, r.top, r.right - r.left, r.bottom - r.top,
           ok ? "\n" : "");
    if (!ok)
        printf("   expected %d %d %d %d\n", x, y, width, height);
    return ok;
}

/* ---- message boxes ---- */

static const struct {
    const char *name;
    int id;
} box_buttons[] = {{"ok", IDOK},         {"yes", IDYES},         {"no", IDNO},      {"cancel", IDCANCEL},
                   {"abort", IDABORT},   {"retry", IDRETRY},     {"ignore", IDIGNORE}};

static int button_id(const char *name)
{
    for (size_t i = 0; i < sizeof box_buttons / sizeof box_buttons[0]; i++)
        if (strcmp(box_buttons[i].name, name) == 0)
            return box_buttons[i].id;
    fail("unknown button %s", name);
    return 0;
}

/* The visible buttons of a box, as names joined by '+', in the order of box_buttons. */
static void buttons_of(HWND box, char *out)
{
    out[0] = '\0';
    for (size_t i = 0; i < sizeof box_buttons / sizeof box_buttons[0]; i++) {
        HWND button = GetDlgItem(box, box_buttons[i].id);
        if (button != NULL && IsWindowVisible(button)) {
            if (out[0] != '\0')
                strcat(out, "+");
            strcat(out, box_buttons[i].name);
        }
    }
}

static int box_is_up(void *unused)
{
    (void)unused;
    current_box = find_window("#32770", 1);
    return current_box != NULL;
}

static int box_is_gone(void *box)
{
    return !IsWindow((HWND)box) || !IsWindowVisible((HWND)box);
}

static void check_box(const char *owner, const char *buttons, const char *hex)
{
    if (!wait_until(box_is_up, NULL))
        fail("no message box");
    char text[text_limit], expected[text_limit], actual_hex[2 * text_limit + 1];
    HWND label = GetDlgItem(current_box, 0xFFFF);
    int length = label != NULL ? text_of(label, text) : 0;
    int expected_length = from_hex(hex, expected);
    to_hex(text, length, actual_hex);
    printf("box %s\n", actual_hex);
    if (length != expected_length || memcmp(text, expected, length) != 0)
        fail("message box text is %s, not %s", actual_hex, hex);

    char present[64];
    buttons_of(current_box, present);
    if (strcmp(present, buttons) != 0)
        fail("message box buttons are %s, not %s", present, buttons);

    HWND actual_owner = GetWindow(current_box, GW_OWNER);
    if (strcmp(owner, "none") == 0) {
        if (actual_owner != NULL)
            fail("message box has an owner");
    } else if (actual_owner != window_of(owner)) {
        fail("message box is not owned by the %s window", owner);
    }
}

static void answer_box(const char *name)
{
    if (current_box == NULL && !wait_until(box_is_up, NULL))
        fail("no message box to answer");
    int id = button_id(name);
    HWND button = GetDlgItem(current_box, id);
    if (button == NULL)
        fail("message box has no button %s", name);
    PostMessageA(current_box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)button);
    if (!wait_until(box_is_gone, current_box))
        fail("message box stays after %s", name);
    current_box = NULL;
}

/* ---- the layout, computed from the system font as measured here ---- */

static SIZE extent(HDC dc, const char *text)
{
    SIZE size;
    GetTextExtentPoint32A(dc, text, (int)strlen(text), &size);
    return size;
}

static void check_layout(void)
{
    HDC dc = GetDC(NULL);
    HGDIOBJ old = SelectObject(dc, GetStockObject(SYSTEM_FONT));
    TEXTMETRICA metrics;
    GetTextMetricsA(dc, &metrics);
    int ux = metrics.tmAveCharWidth, uy = metrics.tmHeight + metrics.tmExternalLeading;
    SIZE message = extent(dc, "メッセージ"), password = extent(dc, "パスワード");
    SIZE folder = extent(dc, "解凍するフォルダ"), browse = extent(dc, "参照...");
    SIZE cancel = extent(dc, "キャンセル");
    SelectObject(dc, old);
    ReleaseDC(NULL, dc);
    printf("unit_x %d unit_y %d\n", ux, uy);

    RECT desktop;
    GetWindowRect(GetDesktopWindow(), &desktop);
    HWND main = window_of("core_gui"), progress = window_of("progress_window");
    HWND browser = window_of("refer_window");
    RECT main_rect = rect_of(main);
    int bw = browse.cx + ux, bh = 3 * browse.cy / 2;
    int ok = 1;
    ok &= check_rect("main_window", main, main_rect.left, main_rect.top, 70 * ux, 20 * uy);
    ok &= check_rect("message_label", GetDlgItem(main, 4), 1, 1, message.cx, message.cy);
    ok &= check_rect("password_label", GetDlgItem(main, 5), 1, 16 * uy, password.cx, password.cy);
    ok &= check_rect("folder_label", GetDlgItem(main, 6), 1, 13 * uy, folder.cx, folder.cy);
    ok &= check_rect("extract_button", GetDlgItem(main, 3), 60 * ux, 17 * uy - uy / 4, bw, bh);
    ok &= check_rect("browse_button", GetDlgItem(main, 8), 60 * ux, 14 * uy - uy / 4, bw, bh);
    ok &= check_rect("message_view", GetDlgItem(main, 1), ux - 2, 3 * uy / 2 - 2, 67 * ux, 11 * uy);
    ok &= check_rect("password_field", GetDlgItem(main, 2), ux - 2, 17 * uy, 57 * ux + 4, uy);
    ok &= check_rect("folder_field", GetDlgItem(main, 7), ux - 2, 14 * uy, 57 * ux + 4, uy);
    ok &= check_rect("progress_window", progress, (desktop.right - 70 * ux) / 2,
                     (desktop.bottom - 8 * uy) / 2, 70 * ux, 7 * uy);
    ok &= check_rect("progress_label", GetDlgItem(progress, 1), 2, uy, 70 * ux, uy);
    ok &= check_rect("cancel_button", GetDlgItem(progress, 2), 30 * ux, 3 * uy, cancel.cx + ux,
                     3 * cancel.cy / 2);
    ok &= check_rect("refer_window", browser, (desktop.right - 40 * ux) / 2, (desktop.bottom - 17 * uy) / 2,
                     40 * ux, 17 * uy);
    if (!ok)
        fail("layout differs");
}

/* ---- list boxes and combo boxes ---- */

enum { list_count, list_text_length, list_text, list_selection, list_select, list_messages };
static const UINT list_box_messages[list_messages] = {LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT, LB_GETCURSEL,
                                                      LB_SETCURSEL};
static const UINT combo_box_messages[list_messages] = {CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT, CB_GETCURSEL,
                                                       CB_SETCURSEL};

/* The list messages go as Unicode: Wine hands the texts of an ANSI list to another
 * process as UTF-16 even for the ANSI messages, so they are converted back here. */
static LRESULT send_list(HWND control, int operation, WPARAM wparam, LPARAM lparam)
{
    char name[32];
    GetClassNameA(control, name, sizeof name);
    const UINT *messages = _stricmp(name, "ComboBox") == 0 ? combo_box_messages : list_box_messages;
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(control, messages[operation], wparam, lparam, SMTO_NORMAL, wait_limit, &result))
        fail("list %p does not answer", (void *)control);
    return (LRESULT)result;
}

/* The text of entry index in the ANSI code page; -1 when there is none. */
static int list_item(HWND control, int index, char *out)
{
    static WCHAR wide[text_limit];
    out[0] = '\0';
    LRESULT length = send_list(control, list_text_length, (WPARAM)index, 0);
    if (length < 0 || length >= text_limit)
        return -1;
    length = send_list(control, list_text, (WPARAM)index, (LPARAM)wide);
    if (length < 0)
        return -1;
    int bytes = WideCharToMultiByte(CP_ACP, 0, wide, (int)length, out, text_limit - 1, NULL, NULL);
    out[bytes] = '\0';
    return bytes;
}

struct list_expectation {
    HWND control;
    int count;
    char *const *hex; /* the texts, count of them */
};

static int items_match(void *parameter)
{
    struct list_expectation *e = parameter;
    if (send_list(e->control, list_count, 0, 0) != e->count)
        return 0;
    for (int i = 0; i < e->count; i++) {
        char actual[text_limit], expected[text_limit];
        int length = list_item(e->control, i, actual);
        int expected_length = from_hex(e->hex[i], expected);
        if (length != expected_length || memcmp(actual, expected, length) != 0)
            return 0;
    }
    return 1;
}

static void print_items(HWND control)
{
    LRESULT count = send_list(control, list_count, 0, 0);
    for (LRESULT i = 0; i < count; i++) {
        char text[text_limit], hex[2 * text_limit + 1];
        int length = list_item(control, (int)i, text);
        to_hex(text, length < 0 ? 0 : length, hex);
        printf("item %d %s\n", (int)i, hex);
    }
}

static int selection_matches(void *parameter)
{
    struct expectation *e = parameter;
    return send_list(e->window, list_selection, 0, 0) == e->value;
}

/* The whole screen as 24-bit bottom-up rows; the caller frees the bitmap. */
static HBITMAP grab_screen(void **pixels, BITMAPINFOHEADER *info)
{
    int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    BITMAPINFOHEADER header = {sizeof header, width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    *info = header;
    HDC screen = GetDC(NULL), memory = CreateCompatibleDC(screen);
    HBITMAP picture = CreateDIBSection(screen, (BITMAPINFO *)info, DIB_RGB_COLORS, pixels, NULL, 0);
    if (picture == NULL)
        fail("no bitmap for the screenshot");
    HGDIOBJ old = SelectObject(memory, picture);
    BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    GdiFlush();
    SelectObject(memory, old);
    DeleteDC(memory);
    ReleaseDC(NULL, screen);
    return picture;
}

static DWORD screen_bytes(const BITMAPINFOHEADER *info)
{
    return (((DWORD)info->biWidth * 3 + 3) & ~3u) * (DWORD)info->biHeight;
}

/* Writes the screen as a BMP file once two grabs 150 ms apart agree: another process
 * paints in its own time, so a single grab may catch a window half drawn. */
static void write_screenshot(const char *path)
{
    BITMAPINFOHEADER info;
    void *pixels = NULL, *previous = NULL;
    HBITMAP picture = grab_screen(&pixels, &info), earlier = NULL;
    DWORD size = screen_bytes(&info);
    for (int tries = 0; tries < 100; tries++) {
        Sleep(150);
        if (earlier != NULL)
            DeleteObject(earlier);
        earlier = picture;
        previous = pixels;
        picture = grab_screen(&pixels, &info);
        if (memcmp(pixels, previous, size) == 0)
            break;
    }
    DeleteObject(earlier);
    BITMAPFILEHEADER file = {0x4D42, sizeof file + sizeof info + size, 0, 0, sizeof file + sizeof info};
    FILE *out = fopen(path, "wb");
    if (out == NULL || fwrite(&file, sizeof file, 1, out) != 1 || fwrite(&info, sizeof info, 1, out) != 1 ||
        fwrite(pixels, 1, size, out) != size || fclose(out) != 0)
        fail("cannot write %s", path);
    DeleteObject(picture);
}

/* ---- the commands ---- */

static void start_program(const char *path, const char *folder)
{
    char command[MAX_PATH + 3];
    snprintf(command, sizeof command, "\"%s\"", path);
    STARTUPINFOA startup = {0};
    startup.cb = sizeof startup;
    if (!CreateProcessA(path, command, NULL, NULL, FALSE, 0, NULL, folder, &startup, &child))
        fail("cannot start %s in %s: error %lu", path, folder, GetLastError());
    child_started = 1;
}

static void expect_exit(int code)
{
    if (WaitForSingleObject(child.hProcess, wait_limit) != WAIT_OBJECT_0)
        fail("the program did not end");
    DWORD actual = 0;
    GetExitCodeProcess(child.hProcess, &actual);
    printf("exit %lu\n", actual);
    if ((int)actual != code)
        fail("exit code %lu, not %d", actual, code);
    child_started = 0;
}

static int focus_matches(void *window)
{
    GUITHREADINFO info = {0};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(child.dwThreadId, &info) && info.hwndFocus == (HWND)window;
}

/* Wine ends its desktop process when the last program that uses it ends, and starting it
 * again takes a second or more on a busy machine. A hidden window held by a program that
 * never ends keeps it open for the whole run. */
static void hold_desktop(void)
{
    CreateWindowExA(0, "static", "", 0, 0, 0, 1, 1, NULL, NULL, GetModuleHandleA(NULL), NULL);
    MSG message;
    while (GetMessageA(&message, NULL, 0, 0) > 0)
        DispatchMessageA(&message);
}

static int is_zero_or_one(const char *s)
{
    return strcmp(s, "0") == 0 || strcmp(s, "1") == 0;
}

static void run_command(int argc, char **argv)
{
    const char *c = argv[0];
#define need(n, usage)                                   \
    do {                                                 \
        if (argc != (n) + 1)                             \
            fail("usage: %s %s", c, usage);              \
    } while (0)
    static struct expectation e;
    if (strcmp(c, "start") == 0) { /* start EXE FOLDER */
        need(2, "EXE FOLDER");
        start_program(argv[1], argv[2]);
    } else if (strcmp(c, "timeout") == 0) { /* timeout MS: the limit of every later wait */
        need(1, "MS");
        wait_limit = (DWORD)atoi(argv[1]);
    } else if (strcmp(c, "sleep") == 0) {
        need(1, "MS");
        Sleep((DWORD)atoi(argv[1]));
    } else if (strcmp(c, "window") == 0) { /* window CLASS: wait until it exists */
        need(1, "CLASS");
        window_of(argv[1]);
    } else if (strcmp(c, "visible") == 0) { /* visible CLASS 0|1 */
        need(2, "CLASS 0|1");
        e.class_name = argv[1];
        e.value = atoi(argv[2]);
        if (!wait_until(visible_matches, &e))
            fail("window %s is %s", argv[1], e.value ? "not visible" : "visible");
    } else if (strcmp(c, "text") == 0 || strcmp(c, "text_starts") == 0) { /* text CLASS ID HEX */
        need(3, "CLASS ID HEX");
        check_text(argv[1], argv[2], argv[3], strcmp(c, "text_starts") == 0);
    } else if (strcmp(c, "enabled") == 0 || strcmp(c, "shown") == 0) { /* enabled CLASS ID 0|1 */
        need(3, "CLASS ID 0|1");
        if (!is_zero_or_one(argv[3]))
            fail("%s wants 0 or 1", c);
        e.window = control_of(argv[1], argv[2]);
        e.value = atoi(argv[3]);
        if (!wait_until(c[0] == 'e' ? enabled_matches : shown_matches, &e))
            fail("%s %s is %s%s", argv[1], argv[2], e.value ? "not " : "", c);
    } else if (strcmp(c, "rect") == 0) { /* rect CLASS ID X Y W H */
        need(6, "CLASS ID X Y W H");
        if (!check_rect(argv[2], control_of(argv[1], argv[2]), atoi(argv[3]), atoi(argv[4]), atoi(argv[5]),
                        atoi(argv[6])))
            fail("rectangle differs");
    } else if (strcmp(c, "print") == 0) { /* print CLASS ID: its text in hex */
        need(2, "CLASS ID");
        char text[text_limit], hex[2 * text_limit + 1];
        to_hex(text, text_of(control_of(argv[1], argv[2]), text), hex);
        printf("%s\n", hex);
    } else if (strcmp(c, "settext") == 0) { /* settext CLASS ID HEX */
        need(3, "CLASS ID HEX");
        char text[text_limit];
        from_hex(argv[3], text);
        DWORD_PTR result;
        if (!SendMessageTimeoutA(control_of(argv[1], argv[2]), WM_SETTEXT, 0, (LPARAM)text, SMTO_NORMAL,
                                 wait_limit, &result))
            fail("WM_SETTEXT not answered");
    } else if (strcmp(c, "click") == 0) { /* click CLASS ID [NOTIFICATION]: posted, as a box may open */
        if (argc != 3 && argc != 4)
            fail("usage: click CLASS ID [NOTIFICATION]");
        HWND control = control_of(argv[1], argv[2]);
        WORD code = argc == 4 ? (WORD)atoi(argv[3]) : BN_CLICKED;
        PostMessageA(GetParent(control), WM_COMMAND, MAKEWPARAM(atoi(argv[2]), code), (LPARAM)control);
    } else if (strcmp(c, "close") == 0) { /* close CLASS: as the caption's close box does */
        need(1, "CLASS");
        PostMessageA(window_of(argv[1]), WM_SYSCOMMAND, SC_CLOSE, 0);
    } else if (strcmp(c, "box") == 0) { /* box OWNER BUTTONS HEX: OWNER a class or none */
        need(3, "OWNER|none BUTTONS HEX");
        check_box(argv[1], argv[2], argv[3]);
    } else if (strcmp(c, "answer") == 0) { /* answer BUTTON: presses it on the box just checked */
        need(1, "ok|cancel|yes|no");
        answer_box(argv[1]);
    } else if (strcmp(c, "nobox") == 0) {
        need(0, "");
        if (box_is_up(NULL))
            fail("a message box is up");
    } else if (strcmp(c, "focus") == 0) { /* focus CLASS ID: the keyboard focus is there */
        need(2, "CLASS ID");
        HWND control = control_of(argv[1], argv[2]);
        if (!wait_until(focus_matches, control)) {
            GUITHREADINFO info = {0};
            char focus[64] = "none", active[64] = "none";
            info.cbSize = sizeof info;
            GetGUIThreadInfo(child.dwThreadId, &info);
            if (info.hwndFocus != NULL)
                GetClassNameA(info.hwndFocus, focus, sizeof focus);
            if (info.hwndActive != NULL)
                GetClassNameA(info.hwndActive, active, sizeof active);
            fail("the focus is not in %s %s but in %s %d (active window %s)", argv[1], argv[2], focus,
                 info.hwndFocus != NULL ? GetDlgCtrlID(info.hwndFocus) : 0, active);
        }
    } else if (strcmp(c, "post") == 0) { /* post CLASS MESSAGE COUNT: COUNT plain messages, no parameters */
        need(3, "CLASS MESSAGE COUNT");
        HWND window = window_of(argv[1]);
        for (int i = atoi(argv[3]); i > 0; i--)
            PostMessageA(window, (UINT)strtoul(argv[2], NULL, 0), 0, 0);
    } else if (strcmp(c, "suspend") == 0 || strcmp(c, "resume") == 0) {
        /* Messages posted between these two reach the program's queue in one piece, before
         * it can act on the first of them. */
        need(0, "");
        if ((c[0] == 's' ? SuspendThread(child.hThread) : ResumeThread(child.hThread)) == (DWORD)-1)
            fail("cannot %s the program", c);
    } else if (strcmp(c, "where") == 0) { /* where CLASS: prints the outer rectangle, x y width height */
        need(1, "CLASS");
        RECT r = rect_of(window_of(argv[1]));
        printf("where %s %ld %ld %ld %ld\n", argv[1], r.left, r.top, r.right - r.left, r.bottom - r.top);
    } else if (strcmp(c, "raise") == 0) { /* raise CLASS: to the top (Wine without a window manager
                                            * does not keep owned windows above their owner) */
        need(1, "CLASS");
        SetWindowPos(window_of(argv[1]), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    } else if (strcmp(c, "style") == 0) { /* style CLASS ID MASK VALUE: style bits under MASK */
        need(4, "CLASS ID MASK VALUE");
        DWORD style = (DWORD)GetWindowLongA(control_of(argv[1], argv[2]), GWL_STYLE);
        DWORD mask = strtoul(argv[3], NULL, 0), value = strtoul(argv[4], NULL, 0);
        if ((style & mask) != value)
            fail("style of %s %s is %08lx, under %08lx not %08lx", argv[1], argv[2], style, mask, value);
    } else if (strcmp(c, "say") == 0) { /* say WORD: prints it, so a script can tell how far the driver got */
        need(1, "WORD");
        printf("%s\n", argv[1]);
    } else if (strcmp(c, "hold") == 0) { /* hold: keeps the desktop open until Wine is stopped */
        need(0, "");
        hold_desktop();
    } else if (strcmp(c, "layout") == 0) {
        need(0, "");
        check_layout();
    } else if (strcmp(c, "items") == 0) { /* items CLASS ID HEX...: a list holds exactly these texts */
        if (argc < 3)
            fail("usage: items CLASS ID HEX...");
        static struct list_expectation l;
        l.control = control_of(argv[1], argv[2]);
        l.count = argc - 3;
        l.hex = argv + 3;
        if (!wait_until(items_match, &l)) {
            print_items(l.control);
            fail("%s %s holds other items", argv[1], argv[2]);
        }
    } else if (strcmp(c, "selected") == 0) { /* selected CLASS ID INDEX: the selected entry, -1 none */
        need(3, "CLASS ID INDEX");
        e.window = control_of(argv[1], argv[2]);
        e.value = atoi(argv[3]);
        if (!wait_until(selection_matches, &e))
            fail("%s %s has entry %d selected, not %d", argv[1], argv[2],
                 (int)send_list(e.window, list_selection, 0, 0), e.value);
    } else if (strcmp(c, "select") == 0) { /* select CLASS ID INDEX: as a single click does, unnotified */
        need(3, "CLASS ID INDEX");
        send_list(control_of(argv[1], argv[2]), list_select, (WPARAM)atoi(argv[3]), 0);
    } else if (strcmp(c, "select_prefix") == 0) { /* select_prefix CLASS ID HEX: the first entry so begun */
        need(3, "CLASS ID HEX");
        HWND control = control_of(argv[1], argv[2]);
        char text[text_limit];
        from_hex(argv[3], text);
        char name[32];
        GetClassNameA(control, name, sizeof name);
        DWORD_PTR result = 0;
        SendMessageTimeoutA(control, _stricmp(name, "ComboBox") == 0 ? CB_SELECTSTRING : LB_SELECTSTRING,
                            (WPARAM)-1, (LPARAM)text, SMTO_NORMAL, wait_limit, &result);
        if ((LRESULT)result < 0)
            fail("%s %s has no entry beginning with %s", argv[1], argv[2], argv[3]);
    } else if (strcmp(c, "item_rect") == 0) { /* item_rect CLASS ID INDEX: a list box item on the screen */
        need(3, "CLASS ID INDEX");
        HWND control = control_of(argv[1], argv[2]);
        DWORD_PTR height = 0, top = 0;
        SendMessageTimeoutA(control, LB_GETITEMHEIGHT, 0, 0, SMTO_NORMAL, wait_limit, &height);
        SendMessageTimeoutA(control, LB_GETTOPINDEX, 0, 0, SMTO_NORMAL, wait_limit, &top);
        RECT client;
        GetClientRect(control, &client);
        POINT origin = {0, (LONG)((atoi(argv[3]) - (int)top) * (int)height)};
        ClientToScreen(control, &origin);
        printf("item_rect %ld %ld %ld %d\n", origin.x, origin.y, client.right, (int)height);
    } else if (strcmp(c, "shot") == 0) { /* shot CLASS FILE: the screen, that window painted first */
        need(2, "CLASS FILE");
        HWND window = window_of(argv[1]);
        /* Painting a window of another process waits until it has painted. */
        RedrawWindow(window, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        write_screenshot(argv[2]);
        RECT r;
        GetWindowRect(window, &r);
        printf("shot %ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
    } else if (strcmp(c, "exit") == 0) { /* exit CODE: waits for the end */
        need(1, "CODE");
        expect_exit(atoi(argv[1]));
    } else {
        fail("unknown command %s", c);
    }
#undef need
}

int main(void)
{
    static char line[2 * text_limit + 256];
    while (fgets(line, sizeof line, stdin) != NULL) {
        line_number++;
        char *argv[16];
        int argc = 0;
        for (char *token = strtok(line, " \t\r\n"); token != NULL && argc < 16; token = strtok(NULL, " \t\r\n"))
            argv[argc++] = token;
        if (argc == 0 || argv[0][0] == '#')
            continue;
        run_command(argc, argv);
        fflush(stdout);
    }
    if (child_started && WaitForSingleObject(child.hProcess, 0) == WAIT_TIMEOUT)
        fail("the program is still running at the end of the commands");
    return 0;
}
