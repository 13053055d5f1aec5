/* list, test and extract: the stub's own start-up, stream, decoder and extraction run,
 * over the POSIX backend and the tool's host. */
#define _GNU_SOURCE
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include "archive/archive_file.h"
#include "archive/decoder.h"
#include "archive/header.h"
#include "archive/input_stream.h"
#include "archive/password.h"
#include "cli/cli.h"
#include "cli/options.h"
#include "extract/entry_reader.h"
#include "extract/output_writer.h"
#include "extract/run_extraction.h"
#include "startup/host.h"
#include "startup/self_check.h"
#include "startup/stops.h"
#include "writer/code_page.h"

static const char list_help[] =
    "usage: quillmere list FILE [--password TEXT]\n"
    "\n"
    "Lists every entry of the archive in FILE (read at offset 31744): its kind, size,\n"
    "creation, last access and last write time (UTC, to the second) and name, after\n"
    "the archive's message text and program to run; a time of 0 (none) shows as -.\n"
    "The entries carry no directory, so listing decodes the whole archive.\n"
    "A protected archive needs its password even to be listed.\n"
    "\n"
    "Exit codes: 0 listed; 1 damaged or unreadable archive, wrong password;\n"
    "2 the file's size differs from the recorded one; 64 usage error.\n";

static const char test_help[] =
    "usage: quillmere test FILE [--password TEXT]\n"
    "\n"
    "Checks every block of the archive in FILE (read at offset 31744) and decodes every\n"
    "entry without writing anything.\n"
    "\n"
    "Exit codes: 0 intact; 1 damaged or unreadable archive, wrong password;\n"
    "2 the file's size differs from the recorded one; 64 usage error.\n";

static const char extract_help[] =
    "usage: quillmere extract FILE [-d DIR] [--password TEXT] [--overwrite ask|yes|no]\n"
    "\n"
    "Extracts the archive in FILE (read at offset 31744) below DIR (default: the current\n"
    "directory; made when missing), running the same extraction as the Windows program:\n"
    "names become UTF-8 with slashes, write and access times are restored (Linux keeps no\n"
    "creation time). Before replacing an existing name it asks on the terminal, unless\n"
    "--overwrite yes (replace) or --overwrite no (keep the existing file, skip the entry)\n"
    "is given. Ctrl-C cancels: the file being written is deleted, earlier ones stay.\n"
    "The archive's program to run afterwards is never started.\n"
    "\n"
    "Exit codes: 0 extracted; 1 damaged or unreadable archive, a file that cannot be\n"
    "written, wrong password; 2 the file's size differs from the recorded one, or a\n"
    "folder cannot be made; 3 cancelled; 64 usage error.\n";

typedef struct read_options {
    const char *file;
    const char *password;
    const char *folder;
} read_options;

static int parse(int argc, char **argv, const char *help, int with_extract, read_options *o)
{
    memset(o, 0, sizeof *o);
    option_cursor c = {argc, argv, 1, help, 0};
    const char *value;
    while (c.at < c.argc) {
        if (option_help(&c))
            return exit_ok + 1000;
        if (option_value(&c, "--password", NULL, &value)) {
            o->password = value;
        } else if (with_extract && option_value(&c, "--directory", "-d", &value)) {
            o->folder = value;
        } else if (with_extract && option_value(&c, "--overwrite", NULL, &value)) {
            if (strcmp(value, "ask") == 0)
                cli_overwrite = overwrite_ask;
            else if (strcmp(value, "yes") == 0)
                cli_overwrite = overwrite_yes;
            else if (strcmp(value, "no") == 0)
                cli_overwrite = overwrite_no;
            else
                return usage_error(&c, "--overwrite takes ask, yes or no, not '%s'", value);
        } else if (c.failed) {
            return exit_usage;
        } else if (c.argv[c.at][0] == '-' && c.argv[c.at][1] != '\0') {
            return usage_error(&c, "unknown option '%s'", c.argv[c.at]);
        } else if (o->file == NULL) {
            o->file = c.argv[c.at++];
        } else {
            return usage_error(&c, "one FILE only; '%s' is one too many", c.argv[c.at]);
        }
    }
    if (c.failed)
        return exit_usage;
    if (o->file == NULL)
        return usage_error(&c, "FILE is missing");
    return -1;
}

/* Opens the file as archive_file through the stub's start-up, and tests the password.
 * The file is reached as /dev/fd/N: its name may be any length and need not exist in
 * code page 932, and it stays reachable after a change of directory. */
static int open_archive(const read_options *o)
{
    int fd = open(o->file, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        cli_error("cannot open %s: %s", o->file, strerror(errno));
        return exit_failure;
    }
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        cli_error("%s is not a regular file", o->file);
        close(fd);
        return exit_failure;
    }
    char name[32];
    snprintf(name, sizeof name, "/dev/fd/%d", fd);
    enum check_result result = self_check(name);
    close(fd);
    if (result == no_archive) {
        cli_error("%s carries no archive: it is a bare stub of %d bytes", o->file, (int)archive_offset);
        return exit_failure;
    }
    if (!password_flag)
        return -1;
    if (o->password == NULL) {
        cli_error("%s is protected by a password: give --password TEXT", o->file);
        return exit_usage;
    }
    char typed[password_limit + 1];
    size_t length = 0;
    if (utf8_to_cp932(o->password, strlen(o->password), typed, sizeof typed, &length) != 0 ||
        !check_password(typed, (uint32_t)length)) {
        cli_stub_text("パスワードが違います。");
        return exit_failure;
    }
    return -1;
}

static void format_time(uint64_t filetime, char *out, size_t size)
{
    if (filetime == 0) {
        snprintf(out, size, "%-19s", "-");
        return;
    }
    time_t t = (time_t)((int64_t)(filetime / 10000000u) - 11644473600LL);
    struct tm tm;
    if (gmtime_r(&t, &tm) == NULL || strftime(out, size, "%Y-%m-%d %H:%M:%S", &tm) == 0)
        snprintf(out, size, "%-19s", "?");
}

/* The entries of the archive, each decoded without writing; on_entry sees each one
 * before its data (fields is NULL for a folder). */
typedef struct walk_totals {
    long files, folders;
    int64_t bytes;
} walk_totals;

static void walk_entries(void (*on_entry)(const entry_fields *fields), walk_totals *totals)
{
    cancel_flag = 0;
    end_of_archive = 0;
    forget_entry_name();
    skip_output = 1;
    while (!end_of_archive && !cancel_flag) {
        read_entry_name();
        if (entry_is_folder(entry_name)) {
            totals->folders++;
            on_entry(NULL);
            continue;
        }
        entry_fields fields;
        read_entry_fields(&fields);
        totals->files++;
        totals->bytes += fields.size;
        on_entry(&fields);
        host_set_progress_text(entry_name);
        decode_entry(fields.size);
    }
    close_file(&archive_file);
    if (take_status() != 0)
        report_read_failure();
}

static void list_entry(const entry_fields *fields)
{
    char name[1200];
    cp932_for_display(entry_name, name, sizeof name, 1);
    size_t n = strlen(name);
    if (fields == NULL) {
        /* "a\." is the folder a, "." the destination itself */
        if (n >= 1 && name[n - 1] == '.')
            name[n - 1] = '\0';
        if (name[0] == '\0')
            strcpy(name, "./");
        progress_clear();
        printf("folder %12s  %-19s  %-19s  %-19s  %s\n", "-", "", "", "", name);
        return;
    }
    char times[3][32];
    for (int i = 0; i < 3; i++)
        format_time(fields->times[i], times[i], sizeof times[i]);
    progress_clear();
    printf("file   %12ld  %s  %s  %s  %s\n", (long)fields->size, times[0], times[1], times[2], name);
}

static void ignore_entry(const entry_fields *fields)
{
    (void)fields;
}

int command_list(int argc, char **argv)
{
    read_options o;
    int code = parse(argc, argv, list_help, 0, &o);
    if (code >= 0)
        return code == exit_ok + 1000 ? exit_ok : code;
    if ((code = open_archive(&o)) >= 0)
        return code;
    static char shown[4 * sizeof cli_message_text];
    cp932_for_display(cli_message_text, shown, sizeof shown, 0);
    /* the Windows program's lines end in CR LF */
    char *to = shown;
    for (const char *from = shown; *from != '\0'; from++)
        if (!(from[0] == '\r' && from[1] == '\n'))
            *to++ = *from;
    *to = '\0';
    printf("message: %s\n", shown);
    cp932_for_display(run_after, shown, sizeof shown, 0);
    printf("run after: %s\n", run_after[0] != '\0' ? shown : "(none)");
    printf("password: %s\n", password_flag ? "yes" : "no");
    printf("kind           size  created (UTC)        accessed (UTC)       written (UTC)        name\n");
    walk_totals totals = {0, 0, 0};
    walk_entries(list_entry, &totals);
    progress_clear();
    printf("%ld files, %ld folders, %lld bytes\n", totals.files, totals.folders, (long long)totals.bytes);
    return exit_ok;
}

int command_test(int argc, char **argv)
{
    read_options o;
    int code = parse(argc, argv, test_help, 0, &o);
    if (code >= 0)
        return code == exit_ok + 1000 ? exit_ok : code;
    if ((code = open_archive(&o)) >= 0)
        return code;
    walk_totals totals = {0, 0, 0};
    walk_entries(ignore_entry, &totals);
    progress_clear();
    printf("%s: intact, %ld files, %ld folders, %lld bytes\n", o.file, totals.files, totals.folders,
           (long long)totals.bytes);
    return exit_ok;
}

/* Makes the folder and its parents, as mkdir -p. */
static int make_folder_tree(const char *path)
{
    char copy[4096];
    if (path[0] == '\0')
        return ENOENT;
    if (snprintf(copy, sizeof copy, "%s", path) >= (int)sizeof copy)
        return ENAMETOOLONG;
    for (char *p = copy + 1; ; p++) {
        if (*p == '/' || *p == '\0') {
            char was = *p;
            *p = '\0';
            if (mkdir(copy, 0777) != 0 && errno != EEXIST)
                return errno;
            *p = was;
            if (was == '\0')
                break;
        }
    }
    return 0;
}

int command_extract(int argc, char **argv)
{
    read_options o;
    int code = parse(argc, argv, extract_help, 1, &o);
    if (code >= 0)
        return code == exit_ok + 1000 ? exit_ok : code;
    if ((code = open_archive(&o)) >= 0)
        return code;
    if (o.folder != NULL) {
        int error = make_folder_tree(o.folder);
        if (error == 0 && chdir(o.folder) != 0)
            error = errno;
        if (error != 0) {
            cli_error("cannot use %s as the destination: %s", o.folder, strerror(error));
            return exit_failure;
        }
    }
    catch_interrupts();
    run_extraction(".\\");
    progress_clear();
    if (cancel_flag) {
        cli_stub_text("ファイルの解凍を中断しました。");
        return exit_cancelled;
    }
    return exit_ok;
}
