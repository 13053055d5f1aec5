#include "cli/options.h"
#include <stdarg.h>
#include <stdio.h>
#include <string.h>
#include "cli/cli.h"

int option_help(option_cursor *c)
{
    const char *a = c->argv[c->at];
    if (strcmp(a, "--help") != 0 && strcmp(a, "-h") != 0)
        return 0;
    fputs(c->help, stdout);
    c->at++;
    return 1;
}

int option_value(option_cursor *c, const char *long_name, const char *short_name, const char **value)
{
    const char *a = c->argv[c->at];
    size_t n = strlen(long_name);
    if (strncmp(a, long_name, n) == 0 && a[n] == '=') {
        *value = a + n + 1;
        c->at++;
        return 1;
    }
    if (strcmp(a, long_name) != 0 && (short_name == NULL || strcmp(a, short_name) != 0))
        return 0;
    if (c->at + 1 >= c->argc) {
        usage_error(c, "%s needs a value", a);
        c->at = c->argc;
        return 0;
    }
    *value = c->argv[c->at + 1];
    c->at += 2;
    return 1;
}

int usage_error(option_cursor *c, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    fputs("quillmere: ", stderr);
    vfprintf(stderr, format, args);
    fprintf(stderr, "\n(quillmere %s --help tells more)\n", c->argv[0]);
    va_end(args);
    c->failed = 1;
    return exit_usage;
}
