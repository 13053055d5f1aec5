#include "tests/native/test_host.h"
#include <setjmp.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include "archive/archive_file.h"
#include "archive/header.h"
#include "archive/input_stream.h"
#include "archive/password.h"
#include "extract/run_extraction.h"
#include "extract/output_file.h"
#include "startup/host.h"
#include "startup/self_check.h"

test_host_record host_record;
static jmp_buf stop_point;
static int stop_armed;
static int stop_code;

void reset_test_host(void)
{
    memset(&host_record, 0, sizeof host_record);
}

void script_answer(int answer)
{
    if (host_record.answers < recorded_box_limit)
        host_record.answer[host_record.answers++] = answer;
}

static void copy_text(char *to, const char *from)
{
    strncpy(to, from, recorded_text_limit - 1);
    to[recorded_text_limit - 1] = '\0';
}

int host_message_box(enum box_owner owner, const char *text, unsigned style)
{
    if (host_record.boxes < recorded_box_limit) {
        recorded_box *box = &host_record.box[host_record.boxes++];
        box->owner = owner;
        box->style = style;
        copy_text(box->text, text);
    }
    if (host_record.next_answer < host_record.answers)
        return host_record.answer[host_record.next_answer++];
    return (style & 0x0F) == box_ok ? answer_ok : answer_yes;
}

void host_disable_extract(void)
{
    host_record.extract_disabled = 1;
}

void host_set_message_text(const char *text)
{
    host_record.message_text_set = 1;
    copy_text(host_record.message_text, text);
}

void host_hide_password_row(void)
{
    host_record.password_row_hidden = 1;
}

void host_set_progress_text(const char *text)
{
    host_record.progress_updates++;
    copy_text(host_record.progress_text, text);
}

void host_pump_one_message(void)
{
    host_record.pumps++;
    if (host_record.on_pump)
        host_record.on_pump();
}

void release_bitmaps(void)
{
    host_record.bitmaps_released++;
}

void host_end_process(int code)
{
    if (!stop_armed) {
        fprintf(stderr, "the process was ended (code %d) outside run_until_stop\n", code);
        abort();
    }
    stop_code = code;
    longjmp(stop_point, 1);
}

int run_until_stop(void (*body)(void *), void *argument)
{
    stop_armed = 1;
    if (setjmp(stop_point) != 0) {
        stop_armed = 0;
        return stop_code;
    }
    body(argument);
    stop_armed = 0;
    return -1;
}

void reset_file_records(void)
{
    close_file(&archive_file);
    close_file(&output_file);
    take_status();
    memset(&archive_file, 0, sizeof archive_file);
    memset(&output_file, 0, sizeof output_file);
}

static struct {
    const char *program, *password, *destination;
} program_run;

static void run_program_body(void *unused)
{
    (void)unused;
    if (self_check(program_run.program) != archive_ready)
        return;
    reset_input_stream();
    archive_key.length = 0;
    if (password_flag && program_run.password != NULL &&
        !check_password(program_run.password, (uint32_t)strlen(program_run.password)))
        return;
    run_extraction(program_run.destination);
}

int run_program(const char *program, const char *password, const char *destination)
{
    program_run.program = program;
    program_run.password = password;
    program_run.destination = destination;
    return run_until_stop(run_program_body, NULL);
}
