/* The self-check and the header: any bytes after the stub, once with the recorded size
 * as the input gives it and once with the file's real size in its place. */
#include <stddef.h>
#include <stdint.h>
#include "startup/self_check.h"
#include "tests/fuzz/fuzz_state.h"
#include "tests/native/test_host.h"

static void check(void *argument)
{
    (void)argument;
    self_check(fuzz_program_name);
}

int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    for (int fix_size = 0; fix_size <= 1; fix_size++) {
        reset_fuzz_state();
        put_program_file(data, size, fix_size);
        run_until_stop(check, 0);
    }
    return 0;
}
