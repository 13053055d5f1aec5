/* The tool's option parsing: "--name VALUE", "--name=VALUE" and a short "-x VALUE". */
#ifndef QM_OPTIONS_H
#define QM_OPTIONS_H

typedef struct option_cursor {
    int argc;
    char **argv;
    int at;           /* the argument looked at next */
    const char *help; /* the command's help, shown by --help */
    int failed;       /* a usage error was reported */
} option_cursor;

/* --help or -h: prints the help on stdout and consumes the argument. */
int option_help(option_cursor *c);

/* Takes the option's value when the argument is that option; a missing value is a usage
 * error (failed is set). */
int option_value(option_cursor *c, const char *long_name, const char *short_name, const char **value);

/* Reports a usage error with a pointer to --help; returns exit_usage. */
int usage_error(option_cursor *c, const char *format, ...) __attribute__((format(printf, 2, 3)));

#endif
