/* What every fuzz target does between two inputs: forget the files, the records, the
 * pending status and the host's record, so that one input never shapes the next. */
#ifndef QM_FUZZ_STATE_H
#define QM_FUZZ_STATE_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

void reset_fuzz_state(void);

/* The stub (zeros) followed by the archive bytes, stored as the program's own file; with
 * fix_size the archive's recorded size is set to the file's real size first, so that
 * mutated archives get past the size check. */
void put_program_file(const uint8_t *archive, size_t size, int fix_size);

#define fuzz_program_name "program.exe"

#ifdef __cplusplus
}
#endif

#endif
