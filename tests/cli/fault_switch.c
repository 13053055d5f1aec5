/* Linked only into the test build of the tool (quillmere_faults): the fault switch of the
 * POSIX backend from the environment. QM_FAIL_AT=N makes the N-th file operation fail;
 * QM_FAULT_REPORT=FILE receives the number of operations at the end and the kind and name
 * of the failed one. */
#include <stdio.h>
#include <stdlib.h>
#include "fileio/platform_faults.h"

static const char *kind_names[] = {"open", "create", "read", "write", "seek", "position", "size",
                                   "close", "set_times", "make_folder", "delete", "change_folder", "probe"};
static char failed[1024];

static void observe(enum platform_operation kind, platform_handle handle, const char *name)
{
    (void)handle;
    if (platform_operations + 1 == platform_fail_at)
        snprintf(failed, sizeof failed, "%s %s", kind_names[kind], name ? name : "-");
}

static void report(void)
{
    const char *path = getenv("QM_FAULT_REPORT");
    FILE *f = path ? fopen(path, "w") : 0;
    if (f == 0)
        return;
    fprintf(f, "%u\n%s\n", platform_operations, failed);
    fclose(f);
}

__attribute__((constructor)) static void read_fault_switch(void)
{
    const char *at = getenv("QM_FAIL_AT");
    platform_fail_at = at ? (uint32_t)strtoul(at, 0, 10) : 0;
    platform_observe = observe;
    atexit(report);
}
