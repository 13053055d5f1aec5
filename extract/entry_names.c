/* The tests of an entry name alone, apart from the stream: the writer uses them too. */
#include "extract/entry_reader.h"
#include "fileio/platform_file.h"

int entry_is_folder(const char *name)
{
    uint32_t length = 0;
    while (name[length] != '\0')
        length++;
    if (length == 1)
        return name[0] == '.';
    return length >= 2 && name[length - 2] == '\\' && name[length - 1] == '.';
}

/* A part between backslashes that is empty, or made of dots and blanks only but is not
 * a single dot: "..", and the forms that Windows trims to it or to nothing. */
static int part_refused(const char *start, const char *end)
{
    if (start == end)
        return 1;
    if (end - start == 1 && *start == '.')
        return 0;
    for (const char *p = start; p < end; p++)
        if (*p != '.' && *p != ' ')
            return 0;
    return 1;
}

int entry_name_safe(const char *name)
{
    const char *part = name;
    const char *p = name;
    for (;;) {
        const char *next = platform_char_next(p);
        int single = next == p + 1;
        if (*p == '\0' || (single && *p == '\\')) {
            if (part_refused(part, p))
                return 0;
            if (*p == '\0')
                return 1;
            part = next;
        } else if (single && (*p == ':' || *p == '/')) {
            return 0;
        }
        p = next;
    }
}
