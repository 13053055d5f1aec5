/* quillmere: packs files and folders into a self-extracting Windows program, and lists,
 * tests and extracts such programs on Linux with the extractor's own code. */
#include <locale.h>
#include <stdio.h>
#include <string.h>
#include "cli/cli.h"

static const char tool_help[] =
    "usage: quillmere COMMAND [ARGUMENTS]\n"
    "\n"
    "Makes and reads self-extracting archives for Windows: a small Windows program (the\n"
    "stub, 31744 bytes) with an archive appended at offset 31744.\n"
    "\n"
    "commands:\n"
    "  pack SOURCE... -o OUT.exe   pack files and folders into a self-extracting program\n"
    "  list FILE                   list the entries of an archive\n"
    "  test FILE                   check and decode every entry without writing\n"
    "  extract FILE [-d DIR]       extract below DIR with the stub's own extraction code\n"
    "\n"
    "'quillmere COMMAND --help' describes a command and its options.\n"
    "\n"
    "Exit codes: 0 success; 1 a damaged or unreadable archive, a file that cannot be\n"
    "read or written, a wrong password; 2 a refusal: the archive's size differs from\n"
    "the recorded one, a folder cannot be made, a file of 2 GiB or more; 3 cancelled;\n"
    "64 usage error.\n"
    "\n"
    "A password is only a 16-bit check and a repeating XOR key: it keeps honest people\n"
    "out, nothing more. It is not encryption.\n";

int main(int argc, char **argv)
{
    setlocale(LC_CTYPE, "");
    if (argc < 2) {
        fputs(tool_help, stderr);
        return exit_usage;
    }
    const char *command = argv[1];
    if (strcmp(command, "--help") == 0 || strcmp(command, "-h") == 0 || strcmp(command, "help") == 0) {
        fputs(tool_help, stdout);
        return exit_ok;
    }
    static const struct {
        const char *name;
        int (*run)(int, char **);
    } commands[] = {
        {"pack", command_pack},
        {"list", command_list},
        {"test", command_test},
        {"extract", command_extract},
    };
    for (size_t i = 0; i < sizeof commands / sizeof commands[0]; i++)
        if (strcmp(command, commands[i].name) == 0)
            return commands[i].run(argc - 1, argv + 1);
    fprintf(stderr, "quillmere: unknown command '%s' (quillmere --help lists them)\n", command);
    return exit_usage;
}
