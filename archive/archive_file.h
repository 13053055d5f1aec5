/* The program's own file, carrying the archive at archive_offset. Opened read-only by the
 * self-check and read through by the header reading and the archive stream. */
#ifndef QM_ARCHIVE_FILE_H
#define QM_ARCHIVE_FILE_H

#include "startup/decls.h"
#include "fileio/file_record.h"

QM_BEGIN_DECLS

/* The length of the stub: archives are appended at this offset. */
#ifndef QM_ARCHIVE_OFFSET
#define QM_ARCHIVE_OFFSET 31744
#endif
#define archive_offset ((int32_t)QM_ARCHIVE_OFFSET)

extern file_record archive_file;

QM_END_DECLS

#endif
