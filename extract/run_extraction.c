#include "extract/run_extraction.h"
#include <string.h>
#include "archive/archive_file.h"
#include "archive/decoder.h"
#include "archive/input_stream.h"
#include "extract/dest_paths.h"
#include "extract/entry_reader.h"
#include "extract/output_file.h"
#include "extract/output_writer.h"
#include "fileio/file_record.h"
#include "fileio/platform_file.h"
#include "startup/host.h"
#include "startup/stops.h"

static char full_path[full_path_limit + 1];
static char folder[full_path_limit + 1];

/* Texts of the progress line and the question: a lead, the full path, a tail. */
static char line[full_path_limit + 64];

static void show_progress(const char *lead)
{
    uint32_t n = (uint32_t)strlen(lead);
    memcpy(line, lead, n);
    memcpy(line + n, full_path, strlen(full_path) + 1);
    host_set_progress_text(line);
}

/* Yes, No or Cancel on overwriting the full path. */
static int ask_overwrite(void)
{
    static const char tail[] = "はすでに存在します。上書きしますか？";
    uint32_t n = (uint32_t)strlen(full_path);
    memcpy(line, full_path, n);
    memcpy(line + n, tail, sizeof tail);
    return host_message_box(owner_main_window, line, box_yes_no_cancel | box_icon_question);
}

/* Makes the folders of a path ending in a backslash; stops the process when one fails. */
static void make_folders(const char *path)
{
    const char *failed = create_folder_path(path);
    if (failed[0] != '\0')
        folder_failure_stop(failed);
}

static void join_full_path(const char *destination_folder)
{
    uint32_t d = (uint32_t)strlen(destination_folder);
    uint32_t n = (uint32_t)strlen(entry_name);
    if (d + n > full_path_limit)
        report_write_failure();
    memcpy(full_path, destination_folder, d);
    memcpy(full_path + d, entry_name, n + 1);
}

static void extract_folder_entry(void)
{
    /* The folder is the full path without its final dot; it ends in a backslash. */
    uint32_t n = (uint32_t)strlen(full_path);
    memcpy(folder, full_path, n - 1);
    folder[n - 1] = '\0';
    make_folders(folder);
}

static void extract_file_entry(void)
{
    entry_fields fields;
    read_entry_fields(&fields);
    show_progress("処理中:");

    uint32_t attributes;
    skip_output = 0;
    if (platform_probe(full_path, &attributes)) {
        int answer = ask_overwrite();
        if (answer == answer_cancel) {
            cancel_flag = 1;
            return;
        }
        skip_output = answer == answer_no;
    }
    show_progress(skip_output ? "スキップ中:" : "解凍中:");

    uint32_t n = folder_part(full_path);
    memcpy(folder, full_path, n);
    folder[n] = '\0';
    make_folders(folder);

    if (!skip_output) {
        assign_file(&output_file, full_path);
        create_file(&output_file, 1);
        if (take_status() != 0)
            report_write_failure();
    }
    decode_entry(fields.size);
    if (skip_output)
        return;
    flush_output();
    if (platform_set_times(file_handle(&output_file), fields.times) != 0)
        report_write_failure();
    close_file(&output_file);
    if (take_status() != 0) {
        /* A failed close may have lost data; the record is closed already, so the stop
         * would not erase the file: do it here. */
        platform_delete(full_path);
        report_write_failure();
    }
    /* A cancel, even one after the last byte, leaves nothing of the file behind. */
    if (cancel_flag)
        platform_delete(full_path);
}

void run_extraction(const char *destination_folder)
{
    cancel_flag = 0;
    end_of_archive = 0;
    forget_entry_name();
    while (!end_of_archive && !cancel_flag) {
        read_entry_name();
        join_full_path(destination_folder);
        if (entry_is_folder(entry_name))
            extract_folder_entry();
        else
            extract_file_entry();
    }
    close_file(&archive_file);
    if (take_status() != 0)
        report_read_failure();
}
