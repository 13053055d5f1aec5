/* The decoder of one file entry's coded data. */
#ifndef QM_DECODER_H
#define QM_DECODER_H

#include "startup/decls.h"
#include <stdint.h>

QM_BEGIN_DECLS

/* Set by Cancel; read between symbols. */
extern uint8_t cancel_flag;

/* Decodes an entry of this many bytes into the output writer; stops early between two
 * symbols when cancel_flag is set. Damaged data ends the process. */
void decode_entry(int32_t size);

QM_END_DECLS

#endif
