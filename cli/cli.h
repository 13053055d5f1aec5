/* What the tool's commands share: the host's settings and the terminal progress line. */
#ifndef QM_CLI_H
#define QM_CLI_H

#include <stdint.h>
#include <stdio.h>

/* Exit codes of the tool. */
enum {
    exit_ok = 0,
    exit_failure = 1,   /* read, write or damaged archive; wrong password; a file the writer cannot use */
    exit_refused = 2,   /* a size check of the archive, a folder that cannot be made, a file of 2 GiB or more */
    exit_cancelled = 3, /* Cancel at the overwrite question, or an interrupt */
    exit_usage = 64
};

enum overwrite_mode {
    overwrite_ask,
    overwrite_yes,
    overwrite_no
};

extern enum overwrite_mode cli_overwrite;

/* The archive's message text, as start-up handed it to the host (code page 932). */
extern char cli_message_text[65536];

/* The progress line on stderr, drawn only when stderr is a terminal and at most a few
 * times a second. A fraction below 0 draws no percentage. */
void progress_show(double fraction, const char *utf8_text);
/* Draws again with the last text when some time has passed. */
void progress_tick(double fraction);
void progress_clear(void);

/* A message of the tool itself (UTF-8) on stderr, after clearing the progress line. */
void cli_error(const char *format, ...) __attribute__((format(printf, 1, 2)));

/* One of the extractor's own texts (code page 932, as the compiler stores them) on stderr. */
void cli_stub_text(const char *cp932);

/* Sets cancel_flag at the first interrupt, as the progress window's Cancel does; a
 * second interrupt ends the tool at once. */
void catch_interrupts(void);

int command_pack(int argc, char **argv);
int command_list(int argc, char **argv);
int command_test(int argc, char **argv);
int command_extract(int argc, char **argv);

#endif
