/* What the Win32 file backend must do, checked on the platform itself: the pending
 * status rule, short reads, the states, long names and the sharing of created files.
 * Run as "file_access.exe FOLDER" with an empty work folder; exit code 0 when every
 * check holds, otherwise 1, with one line per failed check. */
#include <windows.h>
#include <stdio.h>
#include <string.h>
#include "fileio/file_record.h"

static int failures;
static const char *folder;

#define ok(condition, ...)                                  \
    do {                                                    \
        if (!(condition)) {                                 \
            failures++;                                     \
            printf("%s:%d: ", __FILE__, __LINE__);          \
            printf(__VA_ARGS__);                            \
            printf("\n");                                   \
        }                                                   \
    } while (0)

static const char *path_of(const char *name)
{
    static char path[4][MAX_PATH * 2];
    static int next;
    char *p = path[next++ % 4];
    snprintf(p, MAX_PATH * 2, "%s\\%s", folder, name);
    return p;
}

static void write_bytes(const char *name, const char *bytes, DWORD length)
{
    HANDLE h = CreateFileA(path_of(name), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    DWORD done = 0;
    ok(h != INVALID_HANDLE_VALUE && WriteFile(h, bytes, length, &done, NULL) && done == length,
       "cannot write %s", name);
    CloseHandle(h);
}

static DWORD size_on_disk(const char *path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data))
        return (DWORD)-1;
    return data.nFileSizeLow;
}

static void test_status_rule(void)
{
    file_record never = {0};
    take_status();
    ok(take_status() == 0, "a second take_status must give 0");

    close_file(&never);
    assign_file(&never, path_of("absent"));
    ok(take_status() == status_not_open, "a success after a failure must not clear the status");
    ok(take_status() == 0, "take_status must clear the status");

    file_record unassigned = {0};
    close_file(&unassigned);
    erase_file(&unassigned);
    ok(take_status() == status_not_assigned, "a later failure must replace an earlier one");

    open_mode = 0;
    open_existing(&never, 1);
    ok(never.state == state_closed, "a failed open must leave the record closed");
    ok(take_status() == ERROR_FILE_NOT_FOUND, "a missing file must report the platform's error");
    open_mode = 2;
}

static void test_short_reads(void)
{
    write_bytes("three", "abc", 3);
    file_record f = {0};
    assign_file(&f, path_of("three"));
    open_mode = 0;
    open_existing(&f, 1);
    ok(take_status() == 0 && f.state == state_open_read, "open_mode 0 must open for reading");

    char buffer[8] = "zzzzzzz";
    uint32_t got = 99;
    ok(read_block(&f, buffer, 4, &got) == 3 && got == 3, "a short read with a count gives what was read");
    ok(take_status() == 0, "a short read with a count is not a failure");
    ok(memcmp(buffer, "abcz", 4) == 0, "bytes read stay in the buffer");
    ok(at_end(&f), "after the last byte the record is at its end");

    got = 99;
    ok(read_block(&f, buffer, 1, &got) == 0 && got == 0, "a read at the end with a count gives 0");
    ok(take_status() == 0, "a read at the end with a count is not a failure");
    ok(read_block(&f, buffer, 1, NULL) == 0, "a read at the end without a count gives 0");
    ok(take_status() == status_short_read, "a read at the end without a count is a short read");

    seek_record(&f, 1);
    memcpy(buffer, "zzzz", 4);
    ok(read_block(&f, buffer, 4, NULL) == 0, "a short read without a count gives 0");
    ok(take_status() == status_short_read, "a short read without a count is 100");
    ok(memcmp(buffer, "bcz", 3) == 0, "bytes of a short read stay in the buffer");

    ok(write_block(&f, "x", 1, NULL) == 0, "a read-only record must not be written");
    ok(take_status() == status_not_open, "writing a read-only record is 103");
    ok(file_size(&f) == 3, "file_size counts bytes");
    close_file(&f);
    ok(take_status() == 0, "closing an open record succeeds");
    ok(size_on_disk(path_of("three")) == 3, "a refused write must change nothing");
    open_mode = 2;
}

static void test_states(void)
{
    file_record f = {0};
    close_file(&f);
    ok(take_status() == status_not_open, "closing a record never assigned is 103");
    erase_file(&f);
    ok(take_status() == status_not_assigned, "erasing a record never assigned is 102");
    open_existing(&f, 1);
    ok(take_status() == status_not_assigned, "opening a record never assigned is 102");

    write_bytes("twice", "12345", 5);
    assign_file(&f, path_of("twice"));
    ok(file_size(&f) == -1, "file_size of a closed record is -1");
    ok(take_status() == status_not_open, "file_size of a closed record is 103");
    seek_record(&f, 0);
    ok(take_status() == status_not_open, "seek_record on a closed record is 103");

    open_mode = 7;
    open_existing(&f, 1);
    ok(take_status() == 0 && f.state == state_open_read_write, "open_mode 7 opens for reading and writing");
    seek_record(&f, 5);
    ok(write_block(&f, "678", 3, NULL) == 3 && take_status() == 0, "open_mode 7 allows writing");
    char buffer[8] = {0};
    seek_record(&f, 0);
    ok(read_block(&f, buffer, 8, NULL) == 8 && memcmp(buffer, "12345678", 8) == 0,
       "open_mode 7 allows reading");
    close_file(&f);
    ok(take_status() == 0, "the first close succeeds");
    close_file(&f);
    ok(take_status() == status_not_open, "closing twice is 103");
    erase_file(&f);
    ok(take_status() == 0 && GetFileAttributesA(path_of("twice")) == INVALID_FILE_ATTRIBUTES,
       "erasing a closed record deletes its file");
    open_mode = 2;
}

static void test_long_name(void)
{
    char name[301];
    int prefix = snprintf(name, sizeof name, "%s\\", folder);
    memset(name + prefix, 'a', 259 - prefix);
    memset(name + 259, 'b', 300 - 259);
    name[300] = '\0';
    file_record f = {0};
    assign_file(&f, name);
    ok(strlen(f.name) == 259, "a 300-byte name is cut to 259 bytes, not %u", (unsigned)strlen(f.name));
    create_file(&f, 1);
    ok(take_status() == 0, "a file can be created under the cut name");
    close_file(&f);
    name[259] = '\0';
    ok(GetFileAttributesA(name) != INVALID_FILE_ATTRIBUTES, "the file exists under the first 259 bytes");
    DeleteFileA(name);
}

static void test_created_file_sharing(void)
{
    write_bytes("shared", "old contents", 12);
    file_record f = {0};
    assign_file(&f, path_of("shared"));
    create_file(&f, 1);
    ok(take_status() == 0 && f.state == state_open_read_write, "create_file opens for reading and writing");
    ok(file_size(&f) == 0, "create_file leaves an existing file empty");
    ok(write_block(&f, "new", 3, NULL) == 3 && take_status() == 0, "a created file can be written");

    HANDLE reader = CreateFileA(path_of("shared"), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                                OPEN_EXISTING, 0, NULL);
    ok(reader != INVALID_HANDLE_VALUE, "others may read a file being created");
    CloseHandle(reader);
    HANDLE writer = CreateFileA(path_of("shared"), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                                OPEN_EXISTING, 0, NULL);
    ok(writer == INVALID_HANDLE_VALUE && GetLastError() == ERROR_SHARING_VIOLATION,
       "others must not write a file being created");
    if (writer != INVALID_HANDLE_VALUE)
        CloseHandle(writer);
    ok(!DeleteFileA(path_of("shared")), "others must not delete a file being created");

    close_file(&f);
    ok(take_status() == 0, "closing the created file succeeds");
    ok(size_on_disk(path_of("shared")) == 3, "the created file holds what was written");
}

int main(int argc, char **argv)
{
    if (argc != 2) {
        printf("usage: file_access FOLDER\n");
        return 2;
    }
    folder = argv[1];
    test_status_rule();
    test_short_reads();
    test_states();
    test_long_name();
    test_created_file_sharing();
    printf("%d failed checks\n", failures);
    return failures != 0;
}
