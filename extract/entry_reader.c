#include "extract/entry_reader.h"
#include "archive/input_stream.h"
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

void read_entry_fields(entry_fields *fields)
{
    for (int i = 0; i < 3; i++)
        fields->times[i] = read_u64();
    fields->size = (int32_t)read_u32();
}
