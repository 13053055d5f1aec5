#ifndef QM_TITLE_TEXT_H
#define QM_TITLE_TEXT_H

#include "startup/decls.h"

QM_BEGIN_DECLS

/* The caption of every window and message box. */
extern const char title_text[];

QM_END_DECLS

#endif
