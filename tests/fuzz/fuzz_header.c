/* The self-check, the header and the password test: any bytes after the stub, once with
 * the recorded size as the input gives it and once with the file's real size in its
 * place; a protected archive is then tested with the empty text, the seeds' password and
 * the input's last bytes. */
#include <stddef.h>
#include <stdint.h>
#include <string.h>
#include "archive/header.h"
#include "archive/password.h"
#include "startup/self_check.h"
#include "tests/fuzz/fuzz_state.h"
#include "tests/native/test_host.h"

static const uint8_t *input;
static size_t input_size;

static void check(void *argument)
{
    (void)argument;
    if (self_check(fuzz_program_name) != archive_ready || !password_flag)
        return;
    check_password("", 0);
    check_password("pass", 4);
    size_t n = input_size < 8 ? input_size : 8;
    check_password((const char *)input + input_size - n, (uint32_t)n);
}

int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    input = data;
    input_size = size;
    for (int fix_size = 0; fix_size <= 1; fix_size++) {
        reset_fuzz_state();
        put_program_file(data, size, fix_size);
        run_until_stop(check, 0);
    }
    return 0;
}
