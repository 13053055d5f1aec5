#include "extract/entry_reader.h"
#include "archive/input_stream.h"
#include "fileio/platform_file.h"
#include "startup/stops.h"

char entry_name[entry_name_limit + 1];

void forget_entry_name(void)
{
    entry_name[0] = '\0';
}

void read_entry_name(void)
{
    /* The name before is still in the buffer: a shared prefix keeps its first c + 2
     * bytes (all of it when it is shorter) and the tail follows. */
    uint32_t length = 0;
    uint8_t byte = read_byte();
    if (byte == shared_prefix_mark) {
        uint32_t shared = (uint32_t)read_byte() + 2;
        while (length < shared && entry_name[length] != '\0')
            length++;
        byte = read_byte();
    }
    while (byte != 0) {
        if (length == entry_name_limit)
            report_damaged_archive();
        entry_name[length++] = (char)byte;
        byte = read_byte();
    }
    entry_name[length] = '\0';
    if (!entry_name_safe(entry_name))
        report_damaged_archive();
}

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

void read_entry_fields(entry_fields *fields)
{
    for (int i = 0; i < 3; i++)
        fields->times[i] = read_u64();
    fields->size = (int32_t)read_u32();
    /* Sizes are 0 to 2147483647; a negative one would decode nothing and take the coded
     * data that follows for the next entry's name. */
    if (fields->size < 0)
        report_damaged_archive();
}
