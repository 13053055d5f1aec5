/* The host of the benchmarks: no windows; a stop prints its message and ends the run. */
#include <stdio.h>
#include <stdlib.h>
#include "startup/host.h"

int host_message_box(enum box_owner owner, const char *text, unsigned style)
{
    (void)owner;
    (void)style;
    fprintf(stderr, "message: %s\n", text);
    return answer_ok;
}

void host_disable_extract(void) {}
void host_set_message_text(const char *text) { (void)text; }
void host_hide_password_row(void) {}
void host_set_progress_text(const char *text) { (void)text; }
void host_pump_one_message(void) {}
void release_bitmaps(void) {}

void host_end_process(int code)
{
    exit(code);
}
