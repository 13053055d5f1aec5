/* pack: the options, the texts in code page 932, the default stub beside the tool. */
#include <errno.h>
#include <limits.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "archive/header.h"
#include "archive/password.h"
#include "cli/cli.h"
#include "cli/options.h"
#include "writer/archive_writer.h"
#include "writer/code_page.h"

static const char pack_help[] =
    "usage: quillmere pack SOURCE... -o OUT.exe [--stub FILE]\n"
    "                      [--message TEXT | --message-file FILE] [--run-after NAME]\n"
    "                      [--password TEXT]\n"
    "\n"
    "Packs files and folders into OUT.exe, a Windows program that extracts them.\n"
    "A SOURCE folder gives its contents (not itself): every folder below it becomes a\n"
    "folder entry, empty ones too; a SOURCE file is stored under its own name. Listings\n"
    "are sorted bytewise, so the same input always gives the same bytes.\n"
    "Names are stored in code page 932 (Shift-JIS) with backslashes; a name without a\n"
    "code page 932 form, or one Windows cannot hold (\\ : * ? \" < > |, a control\n"
    "character, a trailing dot or blank, more than 259 bytes) is an error naming the\n"
    "file, and nothing is written. Symbolic links to files are followed, links to\n"
    "folders are refused. Each file keeps its write and access time; its creation time\n"
    "is its write time (Linux keeps no creation time that survives a copy).\n"
    "Files of 2 GiB or more are refused, and so is an archive that would reach 2 GiB.\n"
    "\n"
    "options:\n"
    "  -o, --output OUT.exe    the program to write (replaced when complete)\n"
    "  --stub FILE             the stub to put in front (default: stub32.exe beside\n"
    "                          the quillmere program); exactly 31744 bytes\n"
    "  --message TEXT          the text the program shows (UTF-8; lines become CRLF)\n"
    "  --message-file FILE     the same, read from a UTF-8 file\n"
    "  --run-after NAME        a program or document that the Windows program opens\n"
    "                          after a completed extraction, relative to the destination\n"
    "  --password TEXT         protect the archive (not empty, at most 255 bytes in\n"
    "                          code page 932)\n"
    "\n"
    "The password is only a 16-bit check and a repeating XOR key over the data. It\n"
    "keeps honest people out, nothing more: it is not encryption, and anyone with the\n"
    "archive can recover its contents without it.\n"
    "\n"
    "Exit codes: 0 packed; 1 a source or the output cannot be read or written, or a name\n"
    "cannot be stored; 2 a file of 2 GiB or more; 64 usage error.\n";

/* UTF-8 text to code page 932 with CRLF line ends, the form the Windows program shows. */
static int message_text_of(const char *utf8, size_t length, char *out, size_t out_size, const char *what)
{
    if (length >= 3 && memcmp(utf8, "\xEF\xBB\xBF", 3) == 0) {
        utf8 += 3;
        length -= 3;
    }
    char *lines = malloc(2 * length + 1);
    if (lines == NULL)
        return exit_failure;
    size_t n = 0;
    for (size_t i = 0; i < length; i++) {
        if (utf8[i] == '\n' && (i == 0 || utf8[i - 1] != '\r'))
            lines[n++] = '\r';
        lines[n++] = utf8[i];
    }
    if (memchr(utf8, '\0', length) != NULL) {
        free(lines);
        cli_error("%s holds a NUL byte", what);
        return exit_failure;
    }
    int code = utf8_to_cp932(lines, n, out, out_size, NULL);
    free(lines);
    if (code == EILSEQ) {
        cli_error("%s has a character without a code page 932 form", what);
        return exit_failure;
    }
    if (code != 0) {
        cli_error("%s is longer than %u bytes in code page 932", what, (unsigned)out_size - 1);
        return exit_failure;
    }
    return -1;
}

static int read_message_file(const char *path, char *out, size_t out_size)
{
    FILE *f = fopen(path, "rb");
    if (f == NULL) {
        cli_error("%s: %s", path, strerror(errno));
        return exit_failure;
    }
    static char raw[4 * message_text_limit];
    size_t length = fread(raw, 1, sizeof raw, f);
    int too_long = length == sizeof raw;
    int failed = ferror(f);
    fclose(f);
    if (failed || too_long) {
        cli_error("%s: %s", path, failed ? "cannot be read" : "too long for a message");
        return exit_failure;
    }
    return message_text_of(raw, length, out, out_size, path);
}

/* stub32.exe in the folder of the running program. */
static int default_stub(char *out, size_t size)
{
    char self[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0)
        return 1;
    self[n] = '\0';
    char *slash = strrchr(self, '/');
    if (slash == NULL)
        return 1;
    *slash = '\0';
    return snprintf(out, size, "%s/stub32.exe", self) >= (int)size;
}

static void show_progress(uint64_t done, uint64_t total, const char *name)
{
    char line[1100];
    snprintf(line, sizeof line, "packing %s", name);
    progress_show(total > 0 ? (double)done / (double)total : -1, line);
}

static void on_interrupt(int signal_number)
{
    pack_abandon();
    _exit(signal_number == SIGINT ? exit_cancelled : exit_failure);
}

int command_pack(int argc, char **argv)
{
    static char message[message_text_limit + 1];
    static char run_after_text[run_after_limit + 1];
    static char password[password_limit + 1];
    const char *output = NULL, *stub = NULL, *message_arg = NULL, *message_file = NULL;
    const char *run_after_arg = NULL, *password_arg = NULL, *value;
    const char **sources = calloc((size_t)argc + 1, sizeof *sources);
    int source_count = 0;
    option_cursor c = {argc, argv, 1, pack_help, 0};
    while (c.at < c.argc) {
        if (option_help(&c)) {
            free(sources);
            return exit_ok;
        }
        if (option_value(&c, "--output", "-o", &value))
            output = value;
        else if (option_value(&c, "--stub", NULL, &value))
            stub = value;
        else if (option_value(&c, "--message", NULL, &value))
            message_arg = value;
        else if (option_value(&c, "--message-file", NULL, &value))
            message_file = value;
        else if (option_value(&c, "--run-after", NULL, &value))
            run_after_arg = value;
        else if (option_value(&c, "--password", NULL, &value))
            password_arg = value;
        else if (c.failed)
            break;
        else if (strcmp(c.argv[c.at], "--") == 0)
            while (++c.at < c.argc)
                sources[source_count++] = c.argv[c.at];
        else if (c.argv[c.at][0] == '-' && c.argv[c.at][1] != '\0')
            usage_error(&c, "unknown option '%s'", c.argv[c.at]);
        else
            sources[source_count++] = c.argv[c.at++];
        if (c.failed)
            break;
    }
    int code = -1;
    if (c.failed)
        code = exit_usage;
    else if (source_count == 0)
        code = usage_error(&c, "no SOURCE given");
    else if (output == NULL)
        code = usage_error(&c, "-o OUT.exe is missing");
    else if (message_arg != NULL && message_file != NULL)
        code = usage_error(&c, "--message and --message-file exclude each other");
    else if (password_arg != NULL && password_arg[0] == '\0')
        code = usage_error(&c, "an empty password protects nothing; leave --password out");
    if (code < 0 && message_arg != NULL)
        code = message_text_of(message_arg, strlen(message_arg), message, sizeof message, "--message");
    if (code < 0 && message_file != NULL)
        code = read_message_file(message_file, message, sizeof message);
    if (code < 0 && run_after_arg != NULL &&
        utf8_to_cp932(run_after_arg, strlen(run_after_arg), run_after_text, sizeof run_after_text, NULL) != 0) {
        cli_error("--run-after: no code page 932 form, or longer than %d bytes", run_after_limit);
        code = exit_failure;
    }
    size_t password_length = 0;
    if (code < 0 && password_arg != NULL &&
        utf8_to_cp932(password_arg, strlen(password_arg), password, sizeof password, &password_length) != 0) {
        cli_error("--password: no code page 932 form, or longer than %d bytes", password_limit);
        code = exit_failure;
    }
    char stub_path[PATH_MAX + 16];
    if (code < 0 && stub == NULL) {
        if (default_stub(stub_path, sizeof stub_path) != 0) {
            cli_error("cannot find the folder of the quillmere program; give --stub FILE");
            code = exit_failure;
        }
        stub = stub_path;
    }
    if (code >= 0) {
        free(sources);
        return code;
    }
    pack_settings settings = {stub, message, run_after_text, password_arg != NULL ? password : NULL,
                              (uint32_t)password_length, show_progress};
    signal(SIGINT, on_interrupt);
    signal(SIGTERM, on_interrupt);
    char error[4096];
    enum pack_result result = pack_archive(sources, source_count, output, &settings, error, sizeof error);
    progress_clear();
    free(sources);
    if (result != pack_done) {
        cli_error("%s", error);
        return result == pack_refused ? exit_refused : exit_failure;
    }
    return exit_ok;
}
