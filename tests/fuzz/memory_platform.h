/* A file platform that keeps every file and folder in memory, for the fuzz targets: no
 * disk, fast resets, and a record of every name the code under test touched. */
#ifndef QM_MEMORY_PLATFORM_H
#define QM_MEMORY_PLATFORM_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define memory_node_limit 256
#define memory_name_limit 600
#define memory_data_limit (1u << 20) /* bytes in all files; a write beyond fails (disk full) */

/* Forgets every file and folder and every open handle. */
void memory_reset(void);
/* Puts a file of these bytes under the name (code page 932, backslashes). */
void memory_put_file(const char *name, const uint8_t *data, size_t size);
void memory_put_folder(const char *name);
/* The bytes of a file, or 0 when there is none; *size receives its length. */
const uint8_t *memory_file(const char *name, uint32_t *size);

/* Called for every name that is created, written or made a folder. */
extern void (*memory_on_create)(const char *name);

#ifdef __cplusplus
}
#endif

#endif
