/* The whole reading and extraction of an archive, as the stub does it: self-check,
 * password, destination, run. The first input byte chooses the answers (overwrite
 * questions, the password typed, when Cancel is pressed); the rest is the archive as it
 * follows the stub, its recorded size set to the real one. Every name the run creates
 * must lie below the destination, and the program's own file must stay as it was. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include "archive/archive_file.h"
#include "archive/decoder.h"
#include "archive/header.h"
#include "archive/input_stream.h"
#include "archive/password.h"
#include "extract/dest_paths.h"
#include "extract/run_extraction.h"
#include "startup/host.h"
#include "startup/self_check.h"
#include "tests/fuzz/fuzz_state.h"
#include "tests/fuzz/memory_platform.h"
#include "tests/native/test_host.h"

/* The password of the seeds that have one. */
#define seed_password "pass"
static const char destination[] = "C:\\dest\\";

static uint8_t options;

/* A user who waits long enough presses Cancel: an archive that decodes to gigabytes
 * without writing them (an entry skipped at the question) ends in bounded time. */
static void on_pump(void)
{
    int cancel_after = options & 0x80 ? 8 : 4096;
    if (host_record.pumps >= cancel_after)
        cancel_flag = 1;
}

static int creations;

static void refuse_outside(const char *name)
{
    creations++;
    if (strncmp(name, destination, sizeof destination - 1) != 0)
        abort(); /* something was made outside the destination */
}

static void extract(void *argument)
{
    (void)argument;
    if (self_check(fuzz_program_name) != archive_ready)
        return;
    reset_input_stream();
    archive_key.length = 0;
    if (password_flag) {
        const char *typed = options & 0x40 ? "wrong" : seed_password;
        if (!check_password(typed, (uint32_t)strlen(typed)))
            return; /* the main window says so and waits for another try */
    }
    memory_on_create = refuse_outside;
    run_extraction(destination);
}

int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    options = data[0];
    reset_fuzz_state();
    creations = 0;
    memory_put_folder("C:");
    memory_put_folder("C:\\dest");
    if (options & 0x20)
        memory_put_file("C:\\dest\\readme.txt", (const uint8_t *)"old", 3);
    put_program_file(data + 1, size - 1, 1);
    uint32_t before_size = 0;
    const uint8_t *before = memory_file(fuzz_program_name, &before_size);
    uint8_t *copy = malloc(before_size);
    memcpy(copy, before, before_size);

    /* Answers to the overwrite questions: two bits each, Yes, No, Cancel, Yes. */
    static const int answers[4] = {answer_yes, answer_no, answer_cancel, answer_yes};
    for (int i = 0; i < 3; i++)
        script_answer(answers[(options >> (2 * i)) & 3]);
    host_record.on_pump = on_pump;

    int code = run_until_stop(extract, 0);
    memory_on_create = 0;
    /* QM_FUZZ_REPORT=1 shows how each input ended, to see what the seeds reach. */
    static int report = -1;
    if (report < 0)
        report = getenv("QM_FUZZ_REPORT") != 0;
    if (report)
        fprintf(stderr, "exit %d, %d boxes%s%s, %d creations\n", code, host_record.boxes,
                host_record.boxes ? ", last: " : "",
                host_record.boxes ? host_record.box[host_record.boxes - 1].text : "", creations);

    uint32_t after_size = 0;
    const uint8_t *after = memory_file(fuzz_program_name, &after_size);
    if (after == 0 || after_size != before_size || memcmp(after, copy, before_size) != 0)
        abort(); /* the program's own file was changed */
    free(copy);
    return 0;
}
