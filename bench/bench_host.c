/* The benchmarks' host: no windows, no questions; a stop ends the program with its code. */
#include <stdio.h>
#include <stdlib.h>
#include "startup/host.h"
#include "writer/code_page.h"

int host_message_box(enum box_owner owner, const char *text, unsigned style)
{
    (void)owner;
    char shown[1024];
    cp932_for_display(text, shown, sizeof shown, 1);
    fprintf(stderr, "%s\n", shown);
    return (style & 0x0F) == box_ok ? answer_ok : answer_no;
}

void host_disable_extract(void) {}
void host_set_message_text(const char *text) { (void)text; }
void host_hide_password_row(void) {}
void host_set_progress_text(const char *text) { (void)text; }
void host_pump_one_message(void) {}
void release_bitmaps(void) {}

void host_end_process(int code)
{
    exit(code == 0 ? 2 : code);
}
