/* The tests' host: records every request of the logic, answers message boxes from a
 * script, and turns the end of the process into a return to the test. */
#ifndef QM_TEST_HOST_H
#define QM_TEST_HOST_H

#ifdef __cplusplus
extern "C" {
#endif

#define recorded_box_limit 64
#define recorded_text_limit 1024

typedef struct recorded_box {
    int owner;
    unsigned style;
    char text[recorded_text_limit];
} recorded_box;

typedef struct test_host_record {
    int boxes;
    recorded_box box[recorded_box_limit];
    int answers;                   /* scripted answers; when they run out, IDOK or IDYES */
    int answer[recorded_box_limit];
    int next_answer;
    int extract_disabled;
    int password_row_hidden;
    int message_text_set;
    char message_text[recorded_text_limit];
    int progress_updates;
    char progress_text[recorded_text_limit];
    int pumps;
    int bitmaps_released;
    void (*on_pump)(void);         /* called at each pump, for a test that cancels */
} test_host_record;

extern test_host_record host_record;

/* Clears the record and the script. */
void reset_test_host(void);
/* Queues the answer for the next message box. */
void script_answer(int answer);

/* Closes archive_file and output_file if open, clears the pending status and returns
 * both records to their zero-filled start, as at the start of a process. */
void reset_file_records(void);

/* Runs what the stub runs on a program file: the self-check, then, for a protected
 * archive, the password test of password (none when it is NULL), then the extraction
 * into destination. The exit code if it ended the process, or -1 if it returned. */
int run_program(const char *program, const char *password, const char *destination);

/* Runs body(argument); returns the exit code if it ended the process, or -1 if it returned. */
int run_until_stop(void (*body)(void *), void *argument);

#ifdef __cplusplus
}
#endif

#endif
