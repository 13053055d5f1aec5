/* The tool's host: messages go to stderr in UTF-8, the overwrite question is asked on
 * the terminal (or answered by --overwrite), the progress line is drawn on stderr, and a
 * stop ends the tool with a non-zero code. */
#include <signal.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

#include "archive/archive_file.h"
#include "archive/decoder.h"
#include "cli/cli.h"
#include "fileio/platform_file.h"
#include "startup/host.h"
#include "writer/code_page.h"

enum overwrite_mode cli_overwrite = overwrite_ask;
char cli_message_text[65536];

static int progress_on = -1;
static int progress_drawn;
static double last_draw;
static char progress_text[1024];

static double now(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec + (double)t.tv_nsec / 1e9;
}

static int terminal_width(void)
{
    const char *columns = getenv("COLUMNS");
    int width = columns != NULL ? atoi(columns) : 0;
    return width > 20 ? width : 80;
}

static void draw(double fraction)
{
    char line[1200];
    int n = fraction >= 0 ? snprintf(line, sizeof line, "[%3d%%] ", (int)(fraction * 100)) : 0;
    /* Cut to the terminal's width, counting a character per UTF-8 lead byte and two
     * columns for every character beyond ASCII (the Japanese texts). */
    int columns = n, limit = terminal_width() - 1;
    for (const char *p = progress_text; *p != '\0' && n < (int)sizeof line - 1; p++) {
        unsigned char c = (unsigned char)*p;
        if ((c & 0xC0) != 0x80) {
            int w = c < 0x80 ? 1 : 2;
            if (columns + w > limit)
                break;
            columns += w;
        }
        line[n++] = *p;
    }
    line[n] = '\0';
    fprintf(stderr, "\r%s\033[K", line);
    fflush(stderr);
    progress_drawn = 1;
    last_draw = now();
}

void progress_show(double fraction, const char *utf8_text)
{
    if (progress_on < 0)
        progress_on = isatty(STDERR_FILENO);
    snprintf(progress_text, sizeof progress_text, "%s", utf8_text);
    if (progress_on && now() - last_draw >= 0.1)
        draw(fraction);
}

void progress_tick(double fraction)
{
    if (progress_on > 0 && now() - last_draw >= 0.1)
        draw(fraction);
}

void progress_clear(void)
{
    if (progress_drawn) {
        fputs("\r\033[K", stderr);
        fflush(stderr);
        progress_drawn = 0;
    }
}

void cli_error(const char *format, ...)
{
    progress_clear();
    va_list args;
    va_start(args, format);
    fputs("quillmere: ", stderr);
    vfprintf(stderr, format, args);
    fputc('\n', stderr);
    va_end(args);
}

void cli_stub_text(const char *cp932)
{
    char shown[4096];
    cp932_for_display(cp932, shown, sizeof shown, 1);
    progress_clear();
    fprintf(stderr, "quillmere: %s\n", shown);
}

static void on_interrupt(int signal_number)
{
    (void)signal_number;
    cancel_flag = 1;
}

void catch_interrupts(void)
{
    struct sigaction action;
    memset(&action, 0, sizeof action);
    action.sa_handler = on_interrupt;
    action.sa_flags = SA_RESETHAND;
    sigaction(SIGINT, &action, NULL);
    sigaction(SIGTERM, &action, NULL);
}

/* How far archive_file has been read, for the percentage. */
static double archive_fraction(void)
{
    uint32_t position = 0, size = 0;
    if (archive_file.state < state_open_read || platform_position(file_handle(&archive_file), &position) != 0 ||
        platform_size(file_handle(&archive_file), &size) != 0 || size == 0)
        return -1;
    return (double)position / (double)size;
}

static int ask_on_terminal(const char *question)
{
    for (;;) {
        fprintf(stderr, "%s [y]es/[n]o/[c]ancel: ", question);
        fflush(stderr);
        char answer[64];
        if (fgets(answer, sizeof answer, stdin) == NULL) {
            fputc('\n', stderr);
            return answer_cancel;
        }
        switch (answer[0]) {
        case 'y': case 'Y': return answer_yes;
        case 'n': case 'N': return answer_no;
        case 'c': case 'C': return answer_cancel;
        default: break;
        }
    }
}

int host_message_box(enum box_owner owner, const char *text, unsigned style)
{
    (void)owner;
    char shown[4096];
    cp932_for_display(text, shown, sizeof shown, 1);
    progress_clear();
    if ((style & 0x0F) == box_yes_no_cancel) {
        if (cli_overwrite == overwrite_yes)
            return answer_yes;
        if (cli_overwrite == overwrite_no)
            return answer_no;
        return ask_on_terminal(shown);
    }
    if ((style & 0x0F) == box_yes_no)
        return answer_no; /* the tool asks no other question */
    cli_stub_text(text);
    return answer_ok;
}

void host_disable_extract(void)
{
}

void host_set_message_text(const char *text)
{
    snprintf(cli_message_text, sizeof cli_message_text, "%s", text);
}

void host_hide_password_row(void)
{
}

void host_set_progress_text(const char *text)
{
    char shown[1024];
    cp932_for_display(text, shown, sizeof shown, 1);
    progress_show(archive_fraction(), shown);
}

void host_pump_one_message(void)
{
    progress_tick(archive_fraction());
}

void release_bitmaps(void)
{
}

/* The stub ends with 0 after a size refusal or a folder it could not make, and with 1
 * after every other stop; the tool reports both as failures. */
void host_end_process(int code)
{
    progress_clear();
    exit(code == 0 ? exit_refused : exit_failure);
}
