#include "startup/self_check.h"
#include "archive/archive_file.h"
#include "archive/header.h"
#include "startup/host.h"
#include "startup/stops.h"

file_record archive_file;
int32_t expected_size;

static _Noreturn void refuse_size(const char *text)
{
    host_message_box(owner_none, text, box_icon_error | box_ok);
    close_file(&archive_file);
    release_bitmaps();
    host_end_process(0);
}

/* The real size of the file. A failed query is a failure to read the file, never taken
 * for a size that differs from the recorded one. */
static int32_t real_size(void)
{
    int32_t size = file_size(&archive_file);
    if (take_status() != 0)
        report_read_failure();
    return size;
}

enum check_result self_check(const char *own_path)
{
    assign_file(&archive_file, own_path);
    open_mode = 0;
    open_existing(&archive_file, 1);
    if (take_status() != 0)
        report_read_failure();

    if (real_size() == archive_offset) {
        host_disable_extract();
        return no_archive;
    }

    seek_record(&archive_file, (uint32_t)archive_offset);
    if (take_status() != 0)
        report_read_failure();
    uint8_t size_bytes[4];
    read_block(&archive_file, size_bytes, 4, 0);
    if (take_status() != 0)
        report_read_failure();
    expected_size = (int32_t)((uint32_t)size_bytes[0] | (uint32_t)size_bytes[1] << 8 |
                              (uint32_t)size_bytes[2] << 16 | (uint32_t)size_bytes[3] << 24);

    if (real_size() < expected_size)
        refuse_size("ファイルのサイズが元々のファイルより小さいです。解凍できません。");
    if (real_size() > expected_size)
        refuse_size("ファイルのサイズが元々のファイルより大きいです。"
                    "このファイルはウイルスに感染している可能性があります。解凍できません。");

    read_header_string(message_text, message_text_limit);
    host_set_message_text(message_text);
    read_header_string(run_after, run_after_limit);
    read_password_fields();
    if (!password_flag)
        host_hide_password_row();
    return archive_ready;
}
