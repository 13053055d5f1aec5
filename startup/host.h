/* What the reading and extraction logic asks of its surroundings. The stub's host is the
 * Win32 windows; the command line tool's host prints and asks on the terminal; the tests'
 * host records every message box and answers from a script. Exactly one is linked. */
#ifndef QM_HOST_H
#define QM_HOST_H

#include "startup/decls.h"

QM_BEGIN_DECLS

/* Message box styles and answers, with the values Win32 gives them. */
enum {
    box_ok = 0x00,
    box_yes_no_cancel = 0x03,
    box_yes_no = 0x04,
    box_icon_error = 0x10,
    box_icon_question = 0x20,
    box_icon_exclamation = 0x30,
    box_icon_information = 0x40
};
enum {
    answer_ok = 1,
    answer_cancel = 2,
    answer_yes = 6,
    answer_no = 7
};
enum box_owner {
    owner_none = 0,
    owner_main_window = 1
};

/* Shows a message box with the caption title_text and returns the answer. */
int host_message_box(enum box_owner owner, const char *text, unsigned style);

void host_disable_extract(void);
void host_set_message_text(const char *text);
void host_hide_password_row(void);
void host_set_progress_text(const char *text);

/* Lets at most one pending window message through. */
void host_pump_one_message(void);

/* Deletes the four folder bitmaps; those never loaded are passed over. */
void release_bitmaps(void);

/* Ends the process with the exit code; nothing of the program runs after it. */
qm_noreturn void host_end_process(int code);

QM_END_DECLS

#endif
