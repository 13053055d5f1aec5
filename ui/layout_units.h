/* The layout units in pixels, measured from the system font when the main window is
 * created: every window and control size is a small multiple of them. */
#ifndef QM_LAYOUT_UNITS_H
#define QM_LAYOUT_UNITS_H

#include "startup/decls.h"

QM_BEGIN_DECLS

/* Average character width; character height plus external leading; the height of a
 * folder list item (unit_y, at least 16). */
extern int unit_x, unit_y, list_item_height;

QM_END_DECLS

#endif
