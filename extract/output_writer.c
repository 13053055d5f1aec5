#include "extract/output_writer.h"
#include <string.h>
#include "extract/output_file.h"
#include "startup/stops.h"

uint8_t skip_output;
int32_t write_position;
int32_t window_base;
uint8_t output_window[output_window_size];

void reset_output(void)
{
    write_position = 0;
    window_base = 0;
}

static void write_out(uint32_t count)
{
    if (skip_output || count == 0)
        return;
    write_block(&output_file, output_window, count, 0);
    if (take_status() != 0)
        report_write_failure();
}

void move_window(void)
{
    write_out(output_write_size);
    memmove(output_window, output_window + output_write_size, output_window_size - output_write_size);
    window_base += output_write_size;
}

uint8_t byte_at(int32_t position)
{
    return output_window[position - window_base];
}

void put_copy_moving(uint32_t distance, uint32_t length)
{
    while (length != 0) {
        if (write_position - window_base == output_window_size)
            move_window();
        uint32_t room = (uint32_t)(output_window_size - (write_position - window_base));
        uint32_t n = length < room ? length : room;
        uint8_t *to = output_window + (write_position - window_base);
        const uint8_t *from = to - distance;
        if (distance >= n) {
            memcpy(to, from, n);
        } else if (distance == 1) {
            memset(to, *from, n);
        } else {
            for (uint32_t k = 0; k < n; k++)
                to[k] = from[k];
        }
        write_position += (int32_t)n;
        length -= n;
    }
}

void flush_output(void)
{
    write_out((uint32_t)(write_position - window_base));
}
