#include "tests/fuzz/fuzz_state.h"
#include <stdlib.h>
#include <string.h>
#include "archive/archive_file.h"
#include "extract/output_file.h"
#include "fileio/file_record.h"
#include "tests/fuzz/memory_platform.h"
#include "tests/native/test_host.h"

void reset_fuzz_state(void)
{
    memory_reset();
    memset(&archive_file, 0, sizeof archive_file);
    memset(&output_file, 0, sizeof output_file);
    open_mode = 2;
    take_status();
    reset_test_host();
}

void put_program_file(const uint8_t *archive, size_t size, int fix_size)
{
    size_t total = (size_t)archive_offset + size;
    uint8_t *file = calloc(total, 1);
    if (file == 0)
        abort();
    if (size)
        memcpy(file + archive_offset, archive, size);
    if (fix_size && size >= 4)
        for (int i = 0; i < 4; i++)
            file[archive_offset + i] = (uint8_t)(total >> (8 * i));
    memory_put_file(fuzz_program_name, file, total);
    free(file);
}
