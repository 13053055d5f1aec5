#include "extract/dest_paths.h"
#include <string.h>
#include "archive/archive_file.h"
#include "fileio/file_record.h"
#include "fileio/platform_file.h"
#include "startup/host.h"

#define separator '\\'
#define drive_mark ':'

/* Is the character at p the single byte c (and not part of a double-byte character)? */
static int is_single(const char *p, char c)
{
    return *p == c && platform_char_next(p) == p + 1;
}

int add_trailing_backslash(char *text, uint32_t capacity)
{
    const char *last = 0;
    const char *p = text;
    while (*p != '\0') {
        last = p;
        p = platform_char_next(p);
    }
    if (last != 0 && is_single(last, separator))
        return 0;
    uint32_t length = (uint32_t)(p - text);
    if (length + 2 > capacity)
        return 1;
    text[length] = separator;
    text[length + 1] = '\0';
    return 0;
}

static int is_ascii_letter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

uint8_t folder_state(const char *text)
{
    uint32_t length = (uint32_t)strlen(text);
    if (length == 3 && text[1] == drive_mark && is_ascii_letter(text[0]))
        return state_folder;
    char probe[folder_path_limit + 1];
    if (length == 0 || length - 1 > folder_path_limit)
        return state_missing;
    memcpy(probe, text, length - 1);
    probe[length - 1] = '\0';
    uint32_t attributes = 0;
    if (!platform_probe(probe, &attributes))
        return state_missing;
    return (attributes & attribute_folder) ? state_folder : state_not_folder;
}

/* The walk's copy of the path: each prefix is probed by ending it for a moment at its
 * backslash. It also holds the result, cut at the failing prefix. */
static char walk[folder_path_limit + 1];

const char *create_folder_path(const char *path)
{
    uint32_t length = (uint32_t)strlen(path);
    if (length > folder_path_limit) {
        memcpy(walk, path, folder_path_limit);
        walk[folder_path_limit] = '\0';
        return walk;
    }
    memcpy(walk, path, length + 1);
    const char *previous = 0;
    for (char *p = walk; *p != '\0'; p = (char *)platform_char_next(p)) {
        if (is_single(p, separator) && previous != 0 && !is_single(previous, drive_mark)) {
            *p = '\0';
            uint32_t attributes = 0;
            if (!platform_probe(walk, &attributes)) {
                make_folder(walk);
                if (take_status() != 0)
                    return walk;
            } else if (!(attributes & attribute_folder)) {
                return walk;
            }
            *p = separator;
        }
        previous = p;
    }
    walk[0] = '\0';
    return walk;
}

uint32_t folder_part(const char *path)
{
    const char *end = path;
    for (const char *p = path; *p != '\0'; p = platform_char_next(p))
        if (is_single(p, separator))
            end = p + 1;
    return (uint32_t)(end - path);
}

void folder_failure_stop(const char *prefix)
{
    static const char lead[] = "フォルダが作れませんでした:";
    char text[sizeof lead + folder_path_limit];
    uint32_t length = (uint32_t)strlen(prefix);
    if (length > folder_path_limit)
        length = folder_path_limit;
    memcpy(text, lead, sizeof lead - 1);
    memcpy(text + sizeof lead - 1, prefix, length);
    text[sizeof lead - 1 + length] = '\0';
    host_message_box(owner_main_window, text, box_icon_error | box_ok);
    close_file(&archive_file);
    release_bitmaps();
    host_end_process(0);
}
