#include "startup/stops.h"
#include "archive/archive_file.h"
#include "extract/output_file.h"
#include "startup/host.h"

static _Noreturn void stop_with_error(const char *text)
{
    host_message_box(owner_main_window, text, box_icon_error | box_ok);
    fatal_stop();
}

void report_read_failure(void)
{
    stop_with_error("ファイルの読み込みに失敗しました。");
}

void report_write_failure(void)
{
    stop_with_error("ファイルの書き込みに失敗しました。");
}

void report_damaged_archive(void)
{
    stop_with_error("ファイルが壊れています。");
}

/* Closes both files; the output file is erased only when this close found it open, so a
 * completed (already closed) or never created file stays. */
void fatal_stop(void)
{
    close_file(&archive_file);
    take_status();
    close_file(&output_file);
    if (take_status() == 0) {
        erase_file(&output_file);
        take_status();
    }
    release_bitmaps();
    host_end_process(1);
}
